// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextWidth.h"

#include <string_view>

// How a label draws text, as the window's toolkit tells it: its font's widths and elision, and what the
// model needs to fit a text to the label's box. One per label. Texts are UTF-8.
class TextMeasure : public TextWidth
{
public:
    // Whether text, broken onto lines at the label's width, is drawn whole inside the label.
    virtual bool fitsWhole(std::string_view utf8) const = 0;
    // Whether every line of text, broken at the label's width, lies within its height (a word wider than
    // the label counts as fitting here).
    virtual bool linesFit(std::string_view utf8) const = 0;
};
