// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathDisplay.h"

#include "platform/NativeText.h"

#include "InvisibleCodePoints.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Each range after the one before it, with a gap between: the search below relies on it.
static_assert(std::adjacent_find(std::begin(InvisibleCodePoints::Ranges),
                                 std::end(InvisibleCodePoints::Ranges), [](const auto& a, const auto& b) {
                                     return b.first <= a.last + 1;
                                 }) == std::end(InvisibleCodePoints::Ranges));

// Whether codePoint shows as nothing, or changes how the rest of the line is drawn: every control (the
// line break of "line\nbreak.txt" hides what follows), the line and paragraph separators, every format
// character in any plane (U+FEFF, U+202E, the tags U+E0041 ...) and the other default-ignorables, as the
// Unicode Character Database of the build names them.
bool drawsNothing(char32_t codePoint)
{
    const auto after =
        std::upper_bound(std::begin(InvisibleCodePoints::Ranges), std::end(InvisibleCodePoints::Ranges),
                         codePoint, [](char32_t value, const auto& range) { return value < range.first; });
    return after != std::begin(InvisibleCodePoints::Ranges) && codePoint <= std::prev(after)->last;
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
