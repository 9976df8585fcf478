// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Colour numbers as stored in the settings: 0x00BBGGRR, or with the top bit set a system colour named by
// the low byte. Each window maps a system colour to its toolkit's own.
namespace ColorText {

// What a colour number stands for: a plain colour, or the system colour with index.
struct Color
{
    bool system = false;
    std::uint32_t index = 0; // system colour index (15: button and dialog face)
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// "&H" or "&h" followed by one to eight hexadecimal digits, read as a signed 32-bit number; nullopt for
// anything else (no prefix, no digits, more than eight digits, blanks, a sign, other characters).
std::optional<std::int32_t> number(std::string_view text);

// The colour number stands for; nullopt for a number no window would take: a plain colour with bits in its
// top byte, or a system colour with bits between the flag and its index.
std::optional<Color> color(std::int32_t number);

} // namespace ColorText
