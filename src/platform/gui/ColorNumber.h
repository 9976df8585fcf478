// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QPalette;

// Colour numbers as stored in the settings: 0x00BBGGRR, or with the top bit set a system colour
// named by the low byte.
namespace ColorNumber {

// "&H" followed by hexadecimal digits, read as a signed 32-bit number; nullopt when it does not convert.
std::optional<qint32> fromText(const QString& text);

// The colour a number stands for; system colour 15 (button and dialog face) is the palette's Button
// colour. nullopt for a system colour the toolkit does not know.
std::optional<QColor> toColor(qint32 number, const QPalette& palette);

} // namespace ColorNumber
