// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/CompactPath.h"

#include "platform/NativeText.h"
#include "platform/TextWidth.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace {

const std::string Ellipsis = "...";

// Index of the first of count candidates (candidate(i) builds the i-th) that fits, assuming that fitting
// is monotone over them (it is for ever shorter texts); kerning can break that in rare cases, so the
// answer is checked and, if need be, searched onward one by one. Returns count when none fits.
template <typename Candidate>
std::size_t firstFitting(std::size_t count, Candidate candidate, const TextWidth& font, int pixels)
{
    const auto fits = [&](std::size_t i) { return font.width(candidate(i)) <= pixels; };
    std::size_t low = 0;
    std::size_t high = count;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (fits(middle))
            high = middle;
        else
            low = middle + 1;
    }
    while (low < count && !fits(low))
        ++low;
    return low;
}

// The longest start of text, cut between whole characters (graphemes), that fits pixels with the
// ellipsis after it. Returns at least the plain ellipsis, or its longest start that fits when even
// "..." is too wide, so the result always fits.
std::string cutWithEllipsis(const TextWidth& font, const std::string& text, int pixels)
{
    // Cut positions, longest start first; then the ellipsis alone and its shorter starts.
    const std::vector<std::size_t> ascending = font.graphemeBoundaries(text);
    const std::vector<std::size_t> ends(ascending.rbegin(), ascending.rend());
    const std::size_t cutCount = ends.size();
    const auto candidate = [&](std::size_t i) {
        return i < cutCount ? text.substr(0, ends[i]) + Ellipsis
                            : Ellipsis.substr(0, Ellipsis.size() - (i - cutCount));
    };
    const std::size_t count = cutCount + Ellipsis.size() + 1;
    const std::size_t index = firstFitting(count, candidate, font, pixels);
    return index < count ? candidate(index) : std::string();
}

} // namespace

namespace modCompactPath {

// Whole pixels for widthTwips at twipsPerPixel, an exact half going to the even neighbour (the default
// rounding mode of std::nearbyint). Returns 0 when the quotient is no finite number (a zero or invalid
// scale) and clamps it to the range of int.
int pixelWidth(double widthTwips, double twipsPerPixel)
{
    const double pixels = std::nearbyint(widthTwips / twipsPerPixel);
    if (!std::isfinite(pixels))
        return 0;
    if (pixels >= double(INT_MAX))
        return INT_MAX;
    if (pixels <= double(INT_MIN))
        return INT_MIN;
    return int(pixels);
}

// path unchanged when it fits pixels; otherwise the nearest folders are kept and the start gives way:
// "/home/.../2026/Steuer", then ".../2026/Steuer", down to ".../Steuer"; when even the last name does
// not fit, its start followed by "...". The result always fits when pixels is at least the width of
// "..."; below that it is the part of "..." that fits (possibly empty).
std::string compactToPixels(const TextWidth& font, const std::string& path, int pixels)
{
    if (font.width(path) <= pixels)
        return path;

    // Separators that start a kept end: not one at the very start (it belongs to the first folder)
    // and not a trailing one (it would keep nothing).
    std::vector<std::size_t> cuts;
    for (std::size_t i = 1; i + 1 < path.size(); ++i) {
        if (NativeText::isSeparator(path[i]))
            cuts.push_back(i);
    }

    if (!cuts.empty()) {
        // ".../..." forms, longest end first.
        const auto end = [&](std::size_t i) { return Ellipsis + path.substr(cuts[i]); };
        const std::size_t index = firstFitting(cuts.size(), end, font, pixels);
        if (index < cuts.size()) {
            // The first folder ("/home") in front as well, when that still fits and something lies
            // between it and the kept end.
            const std::size_t headEnd = cuts.front();
            const std::size_t cut = cuts[index];
            if (cut > headEnd) {
                const std::string withHead = path.substr(0, headEnd + 1) + Ellipsis + path.substr(cut);
                if (font.width(withHead) <= pixels)
                    return withHead;
            }
            return end(index);
        }
        return cutWithEllipsis(font, path.substr(cuts.back() + 1), pixels);
    }
    return cutWithEllipsis(font, path, pixels);
}

// path shortened to a control widthTwips wide in the window's font.
std::string CompactPath(const TextWidth& windowFont, const std::string& path, double widthTwips,
                        double twipsPerPixel)
{
    return compactToPixels(windowFont, path, pixelWidth(widthTwips, twipsPerPixel));
}

} // namespace modCompactPath
