// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

class TextWidth;

// Paths are UTF-8 texts here (what the window shows of a path, PathDisplay's form).
namespace modCompactPath {

// Width in whole pixels of a control widthTwips wide: the quotient rounded half to even.
int pixelWidth(double widthTwips, double twipsPerPixel);

// path shortened with an ellipsis of three full stops so that it fits pixels when drawn in font; a path
// that fits comes back unchanged.
std::string compactToPixels(const TextWidth& font, const std::string& path, int pixels);

// path shortened to the width of a control widthTwips wide, measured in the window's font.
std::string CompactPath(const TextWidth& windowFont, const std::string& path, double widthTwips,
                        double twipsPerPixel);

} // namespace modCompactPath
