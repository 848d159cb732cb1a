// Builds small binary diagram files field by field at fixed offsets, for the reader tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace kalidos::testing {

class ByteBuilder {
public:
    explicit ByteBuilder(std::size_t size) : bytes_(size, '\0') {}

    template <class T>
    ByteBuilder& put(std::size_t offset, T value)
    {
        grow(offset + sizeof(T));
        std::memcpy(bytes_.data() + offset, &value, sizeof(T));
        return *this;
    }
    ByteBuilder& text(std::size_t offset, const std::string& text)
    {
        grow(offset + text.size());
        bytes_.replace(offset, text.size(), text);
        return *this;
    }
    std::string& bytes() { return bytes_; }

private:
    void grow(std::size_t size)
    {
        if (bytes_.size() < size)
            bytes_.resize(size, '\0');
    }
    std::string bytes_;
};

}  // namespace kalidos::testing
