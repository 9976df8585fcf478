// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathDisplay.h"

#include "platform/NativeText.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

using Range = std::pair<char32_t, char32_t>;

// The format characters (general category Cf) of Unicode 14, the tables the window's toolkit draws with.
constexpr Range FormatRanges[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x13438}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

// Default-ignorable code points that are no format character: they draw nothing either, and a font
// without them may draw nothing as well. Unicode's Default_Ignorable_Code_Point, less the Cf ones.
constexpr Range IgnorableRanges[] = {
    {0x034F, 0x034F},   // combining grapheme joiner
    {0x115F, 0x1160},   // Hangul fillers
    {0x17B4, 0x17B5},   // Khmer inherent vowels
    {0x180B, 0x180F},   // Mongolian variation selectors and vowel separator
    {0x2065, 0x2065},   // reserved among the invisible operators
    {0x3164, 0x3164},   // Hangul filler
    {0xFE00, 0xFE0F},   // variation selectors
    {0xFFA0, 0xFFA0},   // halfwidth Hangul filler
    {0xFFF0, 0xFFF8},   // reserved before the specials
    {0xE0000, 0xE0FFF}, // tags, variation selectors supplement, reserved
};

template <std::size_t N>
bool inRanges(const Range (&ranges)[N], char32_t codePoint)
{
    return std::any_of(std::begin(ranges), std::end(ranges), [codePoint](const Range& range) {
        return codePoint >= range.first && codePoint <= range.second;
    });
}

// Whether codePoint shows as nothing, or changes how the rest of the line is drawn: every control (the
// line break of "line\nbreak.txt" hides what follows), the line and paragraph separators, every format
// character in any plane (U+FEFF, U+202E, the tags U+E0041 ...) and the other default-ignorables.
bool drawsNothing(char32_t codePoint)
{
    const bool control = codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
    const bool separator = codePoint == 0x2028 || codePoint == 0x2029;
    return control || separator || inRanges(FormatRanges, codePoint) || inRanges(IgnorableRanges, codePoint);
}

// prefix and value in upper-case hexadecimal, digits long.
std::string escape(const char* prefix, unsigned long value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%s%0*lX", prefix, digits, value);
    return buffer;
}

// True when the blank at bytes[at] is one of those that end a name: it draws nothing, and Windows programs
// that read names in their plain form drop it, so "t.txt " must not look like its neighbour "t.txt".
bool endsName(std::string_view bytes, std::size_t at)
{
    if (bytes[at] != ' ')
        return false;
    const std::size_t next = bytes.find_first_not_of(' ', at);
    return next == std::string_view::npos || bytes[next] == '/' ||
           (bytes[next] == '\\' && NativeText::WindowsPaths);
}

} // namespace

namespace PathDisplay {

int utf8Sequence(std::string_view bytes, std::size_t at, char32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + std::size_t(length) > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(byte(at + std::size_t(i))))
            return 0;
        codePoint = (codePoint << 6) | (byte(at + std::size_t(i)) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void appendUtf8(std::string& text, char32_t codePoint)
{
    if (codePoint < 0x80) {
        text += char(codePoint);
    } else if (codePoint < 0x800) {
        text += char(0xC0 | (codePoint >> 6));
        text += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        text += char(0xE0 | (codePoint >> 12));
        text += char(0x80 | ((codePoint >> 6) & 0x3F));
        text += char(0x80 | (codePoint & 0x3F));
    } else {
        text += char(0xF0 | (codePoint >> 18));
        text += char(0x80 | ((codePoint >> 12) & 0x3F));
        text += char(0x80 | ((codePoint >> 6) & 0x3F));
        text += char(0x80 | (codePoint & 0x3F));
    }
}

std::string displayText(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const int length = utf8Sequence(bytes, at, codePoint);
        if (length == 0) {
            shown += escape("\\x", static_cast<unsigned char>(bytes[at]), 2);
            ++at;
            continue;
        }
        at += std::size_t(length);
        // So that a name spelling "\u200B" is not taken for one holding it. On Windows the backslash
        // separates the names and no name holds one.
        if (codePoint == U'\\' && !NativeText::WindowsPaths)
            shown += "\\\\";
        else if (endsName(bytes, at - 1))
            shown += escape("\\u", codePoint, 4);
        else if (drawsNothing(codePoint))
            shown += codePoint > 0xFFFF ? escape("\\U", codePoint, 8) : escape("\\u", codePoint, 4);
        else
            appendUtf8(shown, codePoint);
    }
    return shown;
}

} // namespace PathDisplay
