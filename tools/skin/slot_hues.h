// The colours of the sixteen slot indicators on the editor's slot buttons,
// as red, green, blue bytes: picked by eye to stay apart on a dark ground,
// ordered round the colour wheel with the greys and browns last. The skin
// draws the buttons with them; plughost's pictures colour notes with them.
#pragma once

#include <array>
#include <cstdint>

struct SlotHue {
  uint8_t r, g, b;
};

constexpr std::array<SlotHue, 16> kSlotHues = {{
    {236, 84, 78},
    {242, 143, 60},
    {240, 204, 70},
    {170, 214, 72},
    {84, 196, 104},
    {52, 196, 168},
    {72, 200, 232},
    {82, 146, 244},
    {104, 104, 240},
    {160, 110, 240},
    {210, 96, 226},
    {238, 92, 168},
    {246, 160, 184},
    {196, 148, 100},
    {150, 168, 130},
    {214, 214, 208},
}};
