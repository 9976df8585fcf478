// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PanelLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// How far the first line starts below the top edge. Many fonts (DejaVu Sans among them) put the dots
// and accents of capitals above their ascent; a line flush with the top would cut them off ("Ä" drawn
// as "A"). The whole pixels that the highest of them rises above the ascent leave room for them.
qreal firstLineOffset(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal accentTop = -metrics.tightBoundingRect(QStringLiteral("ÄÖÜÉÅÂ")).top();
    return std::ceil(qMax<qreal>(0, accentTop - metrics.ascent()));
}

} // namespace

PanelLabel::PanelLabel(QWidget* parent)
    : QLabel(parent)
{
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
}

void PanelLabel::setTitle(PanelLabel* title)
{
    m_title = title;
    if (title)
        title->m_value = this;
}

template <typename LineAction>
void PanelLabel::layOut(const QString& text, LineAction&& action, int* total, int* visible) const
{
    // CR LF, a lone CR and LF all end a line; QTextLayout only breaks at the line separator.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);

    QTextLayout layout(shown, font());
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);

    layout.beginLayout();
    qreal y = firstLineOffset(font());
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width());
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();

    *total = layout.lineCount();
    *visible = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (line.y() + line.height() > height() + 0.01)
            break;
        ++*visible;
        action(line);
    }
}

int PanelLabel::visibleLineCount() const
{
    int total = 0;
    int visible = 0;
    layOut(
        text(), [](const QTextLine&) {}, &total, &visible);
    return visible;
}

bool PanelLabel::fitsWhole(const QString& candidate) const
{
    int total = 0;
    int visible = 0;
    bool overflows = false;
    // A word wider than the label is not broken but cut at the right edge.
    layOut(
        candidate, [&](const QTextLine& line) { overflows = overflows || line.naturalTextWidth() > width(); },
        &total, &visible);
    return visible == total && !overflows;
}

bool PanelLabel::linesFit(const QString& candidate) const
{
    int total = 0;
    int visible = 0;
    layOut(
        candidate, [](const QTextLine&) {}, &total, &visible);
    return visible == total;
}

int PanelLabel::lineCount() const
{
    int total = 0;
    int visible = 0;
    layOut(
        text(), [](const QTextLine&) {}, &total, &visible);
    return total;
}

void PanelLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.setFont(font());
    int total = 0;
    int visible = 0;
    layOut(
        text(), [&painter](const QTextLine& line) { line.draw(&painter, QPointF(0, 0)); }, &total, &visible);
}
