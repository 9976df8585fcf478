// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gui/FontWidth.h"

#include <QString>
#include <QTextBoundaryFinder>

namespace {

QString fromUtf8(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

} // namespace

int FontWidth::width(std::string_view utf8) const
{
    return m_metrics.horizontalAdvance(fromUtf8(utf8));
}

std::string FontWidth::elideMiddle(std::string_view utf8, int pixels) const
{
    return m_metrics.elidedText(fromUtf8(utf8), Qt::ElideMiddle, pixels).toStdString();
}

std::vector<std::size_t> FontWidth::graphemeBoundaries(std::string_view utf8) const
{
    const QString text = fromUtf8(utf8);
    std::vector<std::size_t> boundaries;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    // Each boundary's UTF-8 offset, counted up along the UTF-16 units before it.
    qsizetype unitsDone = 0;
    std::size_t bytesDone = 0;
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < text.size(); at = finder.toNextBoundary()) {
        bytesDone += std::size_t(QStringView(text).mid(unitsDone, at - unitsDone).toUtf8().size());
        unitsDone = at;
        boundaries.push_back(bytesDone);
    }
    return boundaries;
}
