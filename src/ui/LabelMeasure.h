// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TextMeasure.h"

class PanelLabel;

// How a panel label draws text: its font's widths and elision, and its own line breaking.
class LabelMeasure : public TextMeasure
{
public:
    explicit LabelMeasure(const PanelLabel& label)
        : m_label(label)
    {}

    int width(std::string_view utf8) const override;
    std::string elideMiddle(std::string_view utf8, int pixels) const override;
    bool fitsWhole(std::string_view utf8) const override;
    bool linesFit(std::string_view utf8) const override;

private:
    const PanelLabel& m_label;
};
