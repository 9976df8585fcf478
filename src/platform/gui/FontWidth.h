// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextWidth.h"

#include <QFontMetrics>

// TextWidth as Qt draws text in one font.
class FontWidth : public TextWidth
{
public:
    explicit FontWidth(const QFontMetrics& metrics)
        : m_metrics(metrics)
    {}

    int width(std::string_view utf8) const override;
    std::string elideMiddle(std::string_view utf8, int pixels) const override;
    std::vector<std::size_t> graphemeBoundaries(std::string_view utf8) const override;

private:
    QFontMetrics m_metrics;
};
