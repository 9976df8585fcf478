// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LabelMeasure.h"

#include "platform/CoreBridge.h"
#include "ui/PanelLabel.h"

#include <QFontMetrics>

using CoreBridge::fromText;

LabelMeasure::LabelMeasure(const PanelLabel& label)
    : m_label(label)
    , m_font(QFontMetrics(label.font()))
{}

bool LabelMeasure::fitsWhole(std::string_view utf8) const
{
    return m_label.fitsWhole(fromText(utf8));
}

bool LabelMeasure::linesFit(std::string_view utf8) const
{
    return m_label.linesFit(fromText(utf8));
}
