// Bounds-checked little-endian fields of a binary diagram file held in memory.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kalidos {

static_assert(std::endian::native == std::endian::little, "the diagram files are little-endian");

// Every field read first asks `fits`: a header value can never make a reader step past the
// end of the bytes, whatever the file holds.
class ByteView {
public:
    explicit ByteView(std::string_view bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool fits(std::size_t offset, std::size_t length) const
    {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    std::uint8_t u8(std::size_t offset) const { return get<std::uint8_t>(offset); }
    std::int16_t i16(std::size_t offset) const { return get<std::int16_t>(offset); }
    std::uint16_t u16(std::size_t offset) const { return get<std::uint16_t>(offset); }
    std::int32_t i32(std::size_t offset) const { return get<std::int32_t>(offset); }
    std::uint32_t u32(std::size_t offset) const { return get<std::uint32_t>(offset); }
    float f32(std::size_t offset) const { return get<float>(offset); }
    double f64(std::size_t offset) const { return get<double>(offset); }

    // A fixed-width text field: cut at the first zero byte, trailing blanks removed.
    std::string text(std::size_t offset, std::size_t length) const;

private:
    template <class T>
    T get(std::size_t offset) const
    {
        T value{};
        if (fits(offset, sizeof(T)))
            std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }

    std::string_view bytes_;
};

}  // namespace kalidos
