// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ColorText.h"

namespace {

constexpr std::uint32_t SystemColorFlag = 0x80000000u;

// The value of one hexadecimal digit (either case), or -1 for any other byte.
int hexDigit(char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return -1;
}

} // namespace

namespace ColorText {

// The digits are those of the 32-bit number, so "&H8000000F" is 0x8000000F, negative as a signed number.
std::optional<std::int32_t> number(std::string_view text)
{
    if (text.size() < 3 || text.size() > 10 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h'))
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char character : text.substr(2)) {
        const int digit = hexDigit(character);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | std::uint32_t(digit);
    }
    return std::int32_t(value);
}

std::optional<Color> color(std::int32_t number)
{
    const auto bits = std::uint32_t(number);
    Color color;
    if (bits & SystemColorFlag) {
        if ((bits & 0x7F000000u) != 0)
            return std::nullopt;
        color.system = true;
        color.index = bits & 0x00FFFFFFu;
        return color;
    }
    if ((bits & 0xFF000000u) != 0)
        return std::nullopt;
    color.red = std::uint8_t(bits & 0xFF);
    color.green = std::uint8_t(bits >> 8 & 0xFF);
    color.blue = std::uint8_t(bits >> 16 & 0xFF);
    return color;
}

} // namespace ColorText
