// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// How a label draws text, as the window's toolkit tells it: what the model needs to fit a text to a
// label. One per label font (and, for fitsWhole, per label box). Texts are UTF-8.
class TextMeasure
{
public:
    virtual ~TextMeasure() = default;
    // Width in pixels of text on one line.
    virtual int width(std::string_view utf8) const = 0;
    // text shortened in the middle with an ellipsis to at most pixels, as the toolkit elides.
    virtual std::string elideMiddle(std::string_view utf8, int pixels) const = 0;
    // Whether text, broken onto lines at the label's width, is drawn whole inside the label.
    virtual bool fitsWhole(std::string_view utf8) const = 0;
    // Whether every line of text, broken at the label's width, lies within its height (a word wider than
    // the label counts as fitting here).
    virtual bool linesFit(std::string_view utf8) const = 0;
};
