// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TextMeasure.h"
#include "platform/gui/FontWidth.h"

class QWidget;

// How a control draws text: its font's widths and elision; a panel label's own line breaking, one line in
// the width of any other control.
class LabelMeasure : public TextMeasure
{
public:
    explicit LabelMeasure(const QWidget& control);

    int width(std::string_view utf8) const override { return m_font.width(utf8); }
    std::string elideMiddle(std::string_view utf8, int pixels) const override
    {
        return m_font.elideMiddle(utf8, pixels);
    }
    std::vector<std::size_t> graphemeBoundaries(std::string_view utf8) const override
    {
        return m_font.graphemeBoundaries(utf8);
    }
    bool fitsWhole(std::string_view utf8) const override;
    bool linesFit(std::string_view utf8) const override;

private:
    const QWidget& m_control;
    const FontWidth m_font;
};
