#include "diagram_files/shift_jis.hpp"

#include <iconv.h>

#include <algorithm>

namespace kalidos {
namespace {

std::string ascii_only(std::string_view text)
{
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return out;
}

}  // namespace

// The C library's converter (glibc knows CP932); no extra dependency for a few header names.
std::string shift_jis_to_utf8(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(text);
    const iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return ascii_only(text);
    std::string in(text), out(text.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const std::size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1))
        return ascii_only(text);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace kalidos
