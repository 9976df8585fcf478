// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/CompactPath.h"

#include <QFontMetrics>
#include <QList>
#include <QString>
#include <QTextBoundaryFinder>

#include <climits>
#include <cmath>

namespace {

const QString Ellipsis = QStringLiteral("...");

// Index of the first of count candidates (candidate(i) builds the i-th) that fits, assuming that fitting
// is monotone over them (it is for ever shorter texts); kerning can break that in rare cases, so the
// answer is checked and, if need be, searched onward one by one. Returns count when none fits.
template <typename Candidate>
qsizetype firstFitting(qsizetype count, Candidate candidate, const QFontMetrics& metrics, int pixels)
{
    const auto fits = [&](qsizetype i) { return metrics.horizontalAdvance(candidate(i)) <= pixels; };
    qsizetype low = 0;
    qsizetype high = count;
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
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
QString cutWithEllipsis(const QFontMetrics& metrics, const QString& text, int pixels)
{
    // Cut positions, longest start first; then the ellipsis alone and its shorter starts.
    QList<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    for (qsizetype at = finder.toPreviousBoundary(); at > 0; at = finder.toPreviousBoundary())
        ends.append(at);
    const qsizetype cutCount = ends.size();
    const auto candidate = [&](qsizetype i) {
        return i < cutCount ? text.left(ends.at(i)) + Ellipsis
                            : Ellipsis.left(Ellipsis.size() - (i - cutCount));
    };
    const qsizetype count = cutCount + Ellipsis.size() + 1;
    const qsizetype index = firstFitting(count, candidate, metrics, pixels);
    return index < count ? candidate(index) : QString();
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
QString compactToPixels(const QFontMetrics& metrics, const QString& path, int pixels)
{
    if (metrics.horizontalAdvance(path) <= pixels)
        return path;

    // Separators that start a kept end: not one at the very start (it belongs to the first folder)
    // and not a trailing one (it would keep nothing).
    QList<qsizetype> cuts;
    for (qsizetype i = 1; i + 1 < path.size(); ++i) {
        if (path.at(i) == u'/')
            cuts.append(i);
    }

    if (!cuts.isEmpty()) {
        // ".../..." forms, longest end first.
        const auto end = [&](qsizetype i) { return Ellipsis + path.mid(cuts.at(i)); };
        const qsizetype index = firstFitting(cuts.size(), end, metrics, pixels);
        if (index < cuts.size()) {
            // The first folder ("/home") in front as well, when that still fits and something lies
            // between it and the kept end.
            const qsizetype headEnd = cuts.first();
            const qsizetype cut = cuts.at(index);
            if (cut > headEnd) {
                const QString withHead = path.left(headEnd) + u'/' + Ellipsis + path.mid(cut);
                if (metrics.horizontalAdvance(withHead) <= pixels)
                    return withHead;
            }
            return end(index);
        }
        return cutWithEllipsis(metrics, path.mid(cuts.last() + 1), pixels);
    }
    return cutWithEllipsis(metrics, path, pixels);
}

// path shortened to a control widthTwips wide in the window's font.
QString CompactPath(const QFontMetrics& windowFont, const QString& path, double widthTwips,
                    double twipsPerPixel)
{
    return compactToPixels(windowFont, path, pixelWidth(widthTwips, twipsPerPixel));
}

} // namespace modCompactPath
