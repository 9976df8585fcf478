// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LabelMeasure.h"

#include "platform/CoreBridge.h"
#include "ui/PanelLabel.h"

#include <QFontMetrics>

using CoreBridge::fromText;

LabelMeasure::LabelMeasure(const QWidget& control)
    : m_control(control)
    , m_font(QFontMetrics(control.font()))
{}

bool LabelMeasure::fitsWhole(std::string_view utf8) const
{
    if (const auto* label = qobject_cast<const PanelLabel*>(&m_control))
        return label->fitsWhole(fromText(utf8));
    return width(utf8) <= m_control.width();
}

bool LabelMeasure::linesFit(std::string_view utf8) const
{
    if (const auto* label = qobject_cast<const PanelLabel*>(&m_control))
        return label->linesFit(fromText(utf8));
    return fitsWhole(utf8);
}
