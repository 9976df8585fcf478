// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TextMeasure.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// How a label of the window draws text with GDI, and what the model needs to fit a text to it: the
// font's widths, the label's line breaking (DrawTextW at blanks and line ends; a word wider than the label
// is cut at its right edge) and its rule that only lines whole within its height are drawn. Measuring and
// drawing share one set of flags, so a text that fits is drawn whole.
class GdiTextMeasure : public TextMeasure
{
public:
    enum class Align { Left, Center };

    // A label of boxWidth x boxHeight pixels in font (which stays the caller's). A box of 0 x 0 measures
    // one line's widths only.
    explicit GdiTextMeasure(HFONT font, int boxWidth = 0, int boxHeight = 0, Align align = Align::Left);
    ~GdiTextMeasure() override;
    GdiTextMeasure(const GdiTextMeasure&) = delete;
    GdiTextMeasure& operator=(const GdiTextMeasure&) = delete;

    int width(std::string_view utf8) const override;
    // As Qt elides in the middle: the start and the end (the extension) kept, alternately a character of
    // each, around "…"; the empty text when not even "…" fits.
    std::string elideMiddle(std::string_view utf8, int pixels) const override;
    // Boundaries between code points, keeping together what draws as one: a combining mark, a variation
    // selector or an emoji modifier with what precedes it, the parts of a zero-width-joiner sequence, CR LF.
    // (Not the full grapheme rules: no Hangul syllable or regional-indicator pairing.)
    std::vector<std::size_t> graphemeBoundaries(std::string_view utf8) const override;
    bool fitsWhole(std::string_view utf8) const override;
    bool linesFit(std::string_view utf8) const override;

    // Width and height of text broken at the box's width; the width may exceed the box (a long word).
    SIZE layout(std::wstring_view text) const;
    int widthOf(std::wstring_view text) const;
    int lineHeight() const { return m_lineHeight; }
    // Draws text into box of dc as the label shows it: only the lines that fit the box's height whole.
    void draw(HDC dc, const RECT& box, std::wstring_view text, COLORREF color) const;

private:
    UINT format() const;

    HFONT m_font;
    HDC m_dc;
    HGDIOBJ m_oldFont;
    int m_boxWidth;
    int m_boxHeight;
    Align m_align;
    int m_lineHeight = 0;
};
