// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// How the window's font draws one line of text, as far as the texts fitted to a width need it. Texts are
// UTF-8; the window's toolkit provides it (platform/gui/FontWidth for Qt).
class TextWidth
{
public:
    virtual ~TextWidth() = default;
    // Width in pixels of text on one line.
    virtual int width(std::string_view utf8) const = 0;
    // text shortened in the middle with an ellipsis to at most pixels, as the toolkit elides.
    virtual std::string elideMiddle(std::string_view utf8, int pixels) const = 0;
    // The byte offsets inside text between two whole characters (graphemes), ascending, without 0 and the
    // end: where text may be cut without splitting what is drawn as one character.
    virtual std::vector<std::size_t> graphemeBoundaries(std::string_view utf8) const = 0;
};
