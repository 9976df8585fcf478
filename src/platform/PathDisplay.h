// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A path's bytes for the eye, without any toolkit: what the window shows of a name.
namespace PathDisplay {

// Length of the valid UTF-8 sequence at bytes[at] (1 to 4), with its code point; 0 when none starts there.
// Strict: no overlong form, no surrogate, nothing above U+10FFFF, so that every byte that is no UTF-8 can
// be told apart.
int utf8Sequence(std::string_view bytes, std::size_t at, char32_t& codePoint);

// The UTF-8 form of codePoint (a scalar value), appended to text. Noncharacters and U+FEFF included: every
// scalar value has exactly one.
void appendUtf8(std::string& text, char32_t codePoint);

// bytes (a path, or a name in it) as UTF-8 text for the eye, so that two names differing only in what cannot
// be seen still look different: each byte that is not part of valid UTF-8 is shown as "\xE4" (two
// hexadecimal digits), each code point that draws nothing or breaks the line (controls such as a line
// break, line and paragraph separators, format characters, every other default-ignorable) as "\u200B", or
// "\U000E0041" above U+FFFF, each blank at the end of a name as "\u0020", and a backslash itself as "\\" (not
// on Windows, where it separates the names). Only the text shown changes; the path keeps its bytes.
std::string displayText(std::string_view bytes);

} // namespace PathDisplay
