#include "structure/element_colours.hpp"

#include <array>
#include <utility>

namespace kalidos::app {

QColor element_colour(int atomicNumber)
{
    static const std::array<std::pair<int, QRgb>, 34> kCommon = {{
        {1, 0xffffff},  {3, 0xcc80ff},  {4, 0xc2ff00},  {5, 0xffb5b5},  {6, 0x909090},  {7, 0x3050f8},
        {8, 0xff0d0d},  {9, 0x90e050},  {11, 0xab5cf2}, {12, 0x8aff00}, {13, 0xbfa6a6}, {14, 0xf0c8a0},
        {15, 0xff8000}, {16, 0xffff30}, {17, 0x1ff01f}, {19, 0x8f40d4}, {20, 0x3dff00}, {22, 0xbfc2c7},
        {23, 0xa6a6ab}, {24, 0x8a99c7}, {25, 0x9c7ac7}, {26, 0xe06633}, {27, 0xf090a0}, {28, 0x50d050},
        {29, 0xc88033}, {30, 0x7d80b0}, {35, 0xa62929}, {38, 0x00ff00}, {47, 0xc0c0c0}, {53, 0x940094},
        {56, 0x00c900}, {79, 0xffd123}, {82, 0x575961}, {92, 0x008fff},
    }};
    if (atomicNumber <= 0)
        return QColor(255, 20, 147);
    for (const auto& [number, rgb] : kCommon)
        if (number == atomicNumber)
            return QColor::fromRgb(rgb);
    // Hues 37° apart go round the circle without two neighbours alike.
    return QColor::fromHsv((atomicNumber * 37) % 360, 120, 220);
}

}  // namespace kalidos::app
