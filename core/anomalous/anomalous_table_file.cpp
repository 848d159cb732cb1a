#include "anomalous/anomalous_table_file.hpp"

#include <bit>      // for std::bit_cast
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace kalidos {

std::string anomalous_key(std::string_view symbol)
{
    std::string key;
    for (char c : symbol) {
        if (c == ' ' || c == '\t' || c == '\0')
            continue;
        if (!std::isalpha(static_cast<unsigned char>(c)) || key.size() == 2)
            break;
        key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key;
}

namespace {

std::uint32_t read_u32le(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

double read_f32le(std::string_view bytes, std::size_t at)
{
    return static_cast<double>(std::bit_cast<float>(read_u32le(bytes, at)));
}

// A symbol as a message can show it, whatever bytes the file holds there.
std::string printable(std::string_view raw)
{
    std::string text;
    for (char c : raw)
        text += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    return text;
}

bool fail(std::vector<AnomalousRecord>& records, std::string& error, const std::string& why)
{
    records.clear();
    error = why;
    return false;
}

// Reads the points of one record at `at`; the caller has checked that they fit in `bytes`.
bool read_points(std::string_view bytes, std::size_t at, int count, AnomalousRecord& record)
{
    record.points.resize(static_cast<std::size_t>(count));
    for (auto& point : record.points) {
        point.energy = read_f32le(bytes, at);
        point.fPrime = read_f32le(bytes, at + 4);
        point.fSecond = read_f32le(bytes, at + 8);
        at += kAnomalousPointBytes;
        if (!std::isfinite(point.energy) || !std::isfinite(point.fPrime) || !std::isfinite(point.fSecond))
            return false;
    }
    return true;
}

}  // namespace

bool parse_anomalous_table(std::string_view bytes, std::vector<AnomalousRecord>& records, std::string& error)
{
    records.clear();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const int number = static_cast<int>(records.size()) + 1;
        if (bytes.size() - at < kAnomalousRecordHeader)
            return fail(records, error, "record " + std::to_string(number) + " is cut short");
        const std::string_view symbol = bytes.substr(at, 2);
        const std::string name = "record " + std::to_string(number) + " (" + printable(symbol) + ")";
        const auto count = static_cast<std::int32_t>(read_u32le(bytes, at + 2));
        at += kAnomalousRecordHeader;
        if (count < 0)
            return fail(records, error, name + " has a negative number of points");
        if (count > kMaxAnomalousPoints)
            return fail(records, error, name + " has " + std::to_string(count) + " points (at most " +
                                            std::to_string(kMaxAnomalousPoints) + ")");
        const std::size_t size = static_cast<std::size_t>(count) * kAnomalousPointBytes;
        if (bytes.size() - at < size)
            return fail(records, error, name + " is cut short");
        AnomalousRecord record;
        record.key = anomalous_key(symbol);
        if (!read_points(bytes, at, count, record))
            return fail(records, error, name + " holds a value that is not a number");
        at += size;
        records.push_back(std::move(record));
    }
    error.clear();
    return true;
}

bool read_anomalous_table_file(const std::filesystem::path& file, std::vector<AnomalousRecord>& records,
                               std::string& error)
{
    records.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return fail(records, error, "the file cannot be opened");
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return fail(records, error, "the file cannot be read");
    return parse_anomalous_table(bytes, records, error);
}

// Written as slope and intercept, as the values are computed.
bool interpolate_anomalous(const AnomalousRecord& record, double energy, double& fPrime, double& fSecond)
{
    const auto& points = record.points;
    std::size_t i = 0;
    while (i < points.size() && points[i].energy < energy)
        ++i;
    if (i == points.size())
        return false;
    if (i == 0) {
        fPrime = points[0].fPrime;
        fSecond = points[0].fSecond;
        return true;
    }
    const AnomalousPoint& p0 = points[i - 1];
    const AnomalousPoint& p1 = points[i];
    const double slopePrime = (p1.fPrime - p0.fPrime) / (p1.energy - p0.energy);
    const double slopeSecond = (p1.fSecond - p0.fSecond) / (p1.energy - p0.energy);
    fPrime = slopePrime * energy + (p0.fPrime - slopePrime * p0.energy);
    fSecond = slopeSecond * energy + (p0.fSecond - slopeSecond * p0.energy);
    return true;
}

}  // namespace kalidos
