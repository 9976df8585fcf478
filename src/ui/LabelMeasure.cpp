// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LabelMeasure.h"

#include "ui/PanelLabel.h"
#include "ui/ViewText.h"

#include <QFontMetrics>

using ViewText::qText;

LabelMeasure::LabelMeasure(const PanelLabel& label)
    : m_label(label)
    , m_font(QFontMetrics(label.font()))
{}

bool LabelMeasure::fitsWhole(std::string_view utf8) const
{
    return m_label.fitsWhole(qText(utf8));
}

bool LabelMeasure::linesFit(std::string_view utf8) const
{
    return m_label.linesFit(qText(utf8));
}
