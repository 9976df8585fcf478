// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QFontMetrics;

namespace modCompactPath {

// Width in whole pixels of a control widthTwips wide: the quotient rounded half to even.
int pixelWidth(double widthTwips, double twipsPerPixel);

// path shortened with an ellipsis of three full stops so that it fits pixels when drawn in the font
// of metrics; a path that fits comes back unchanged.
QString compactToPixels(const QFontMetrics& metrics, const QString& path, int pixels);

// path shortened to the width of a control widthTwips wide, measured in the window's font.
QString CompactPath(const QFontMetrics& windowFont, const QString& path, double widthTwips,
                    double twipsPerPixel);

} // namespace modCompactPath
