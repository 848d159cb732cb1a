// Building anomalous-table files in memory for the tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kalidos::testing {

struct TablePoint {
    float energy, fPrime, fSecond;
};

inline void append_le32(std::string& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One record: 2-byte symbol, int32 count (given separately so that a test can lie), the points.
inline std::string table_record(const std::string& symbol, const std::vector<TablePoint>& points, std::int32_t count)
{
    std::string bytes = (symbol + "  ").substr(0, 2);
    append_le32(bytes, static_cast<std::uint32_t>(count));
    for (const TablePoint& p : points) {
        for (float value : {p.energy, p.fPrime, p.fSecond}) {
            std::uint32_t raw = 0;
            std::memcpy(&raw, &value, 4);
            append_le32(bytes, raw);
        }
    }
    return bytes;
}

inline std::string table_record(const std::string& symbol, const std::vector<TablePoint>& points)
{
    return table_record(symbol, points, static_cast<std::int32_t>(points.size()));
}

}  // namespace kalidos::testing
