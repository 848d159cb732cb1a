#include "util/pascal_format.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace kalidos {
namespace {

std::string pad_left(std::string text, int width)
{
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

// Adds one unit in the last place of a string of decimal digits (and a point), carrying leftwards.
void increment_digits(std::string& digits)
{
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '.')
            continue;
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(0, 1, '1');
}

// The magnitude of x with exactly `decimals` decimals, rounded half away from zero.
// Three more digits, correctly rounded, decide the rounding unless they read exactly 500 (a carry
// out of them is already in the kept digits). Only then are 40 more digits printed, from the
// exact binary value, so the rounding digit is exact. Either way the result is the exact value
// rounded half away from zero, whatever rule breaks ties in the correctly rounded digits.
// The listings format tens of thousands of numbers per run, so the short path matters: to_chars
// gives the same correctly rounded digits as printf several times faster.
std::string fixed_digits(double magnitude, int decimals)
{
    char buffer[512];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, decimals);
    if (written.ec == std::errc())
        return std::string(buffer, written.ptr);
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, magnitude);  // beyond 512 characters: cut there
    return buffer;
}

std::string round_magnitude(double magnitude, int decimals)
{
    const std::string text = fixed_digits(magnitude, decimals + 3);
    const std::string tail = text.substr(text.size() - 3);
    if (tail != "500") {
        std::string kept = text.substr(0, text.size() - (decimals > 0 ? 3 : 4));
        if (tail[0] >= '5')
            increment_digits(kept);
        return kept;
    }
    const std::string exact = fixed_digits(magnitude, decimals + 40);
    const std::size_t point = exact.find('.');
    const std::size_t keep = decimals > 0 ? point + 1 + static_cast<std::size_t>(decimals) : point;
    const char next = exact[point + 1 + static_cast<std::size_t>(decimals)];
    std::string kept = exact.substr(0, keep);
    if (next >= '5')
        increment_digits(kept);
    return kept;
}

}  // namespace

std::string fmt_int(long long n, int width)
{
    return pad_left(std::to_string(n), width);
}

std::string fmt_fixed(double x, int width, int decimals)
{
    if (std::isnan(x))
        return pad_left("Nan", width);
    if (std::isinf(x))
        return pad_left(x > 0 ? "+Inf" : "-Inf", width);
    std::string text = round_magnitude(std::fabs(x), decimals);
    if (std::signbit(x))
        text.insert(0, 1, '-');
    return pad_left(text, width);
}

std::string fmt_exp13(double x)
{
    if (!std::isfinite(x))
        return fmt_fixed(x, 13, 0);
    const double magnitude = std::fabs(x);
    int exponent = magnitude == 0 ? 0 : static_cast<int>(std::floor(std::log10(magnitude)));
    std::string mantissa = round_magnitude(magnitude / std::pow(10.0, exponent), 4);
    // log10 can be off by one near powers of ten, and rounding can reach 10.0000.
    if (mantissa.size() > 6) {
        ++exponent;
        mantissa = round_magnitude(magnitude / std::pow(10.0, exponent), 4);
    } else if (magnitude != 0 && mantissa[0] == '0') {
        --exponent;
        mantissa = round_magnitude(magnitude / std::pow(10.0, exponent), 4);
    }
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return std::string(x < 0 ? "-" : " ") + mantissa + tail;
}

std::string fmt_general(double x, int digits, int width)
{
    char text[64];
    std::snprintf(text, sizeof text, "%*.*g", width, digits, x);
    return text;
}

std::string fmt_text(const std::string& text, int width)
{
    return pad_left(text, width);
}

}  // namespace kalidos
