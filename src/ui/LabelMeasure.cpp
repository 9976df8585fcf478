// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LabelMeasure.h"

#include "ui/PanelLabel.h"
#include "ui/ViewText.h"

#include <QFontMetrics>

using ViewText::qText;

int LabelMeasure::width(std::string_view utf8) const
{
    return QFontMetrics(m_label.font()).horizontalAdvance(qText(utf8));
}

std::string LabelMeasure::elideMiddle(std::string_view utf8, int pixels) const
{
    return ViewText::utf8(QFontMetrics(m_label.font()).elidedText(qText(utf8), Qt::ElideMiddle, pixels));
}

bool LabelMeasure::fitsWhole(std::string_view utf8) const
{
    return m_label.fitsWhole(qText(utf8));
}

bool LabelMeasure::linesFit(std::string_view utf8) const
{
    return m_label.linesFit(qText(utf8));
}
