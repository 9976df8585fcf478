// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A label of the information panel: fixed size, transparent, its text broken at blanks onto further
// lines, the first one low enough that accents above capitals stay inside. A word wider than the label
// is cut at its right edge, and only lines that fit the height whole are drawn, so a cut-off line never shows
// as a strip of stray pixels.
class PanelLabel : public QLabel
{
    Q_OBJECT

public:
    explicit PanelLabel(QWidget* parent = nullptr);

    // The title label above this value label; screen readers read it as this label's label.
    void setTitle(PanelLabel* title);
    PanelLabel* title() const { return m_title; }
    PanelLabel* valueLabel() const { return m_value; }

    // A label that tells the outcome of a run when it appears: screen readers read it out as a notification.
    void setNotice(bool notice) { m_notice = notice; }
    bool isNotice() const { return m_notice; }

    // How many lines of the current text are drawn (at most as many as fit the height).
    int visibleLineCount() const;
    // How many lines the current text takes at the label's width.
    int lineCount() const;
    // Whether every line of text would be drawn whole.
    bool fitsWhole(const QString& candidate) const;
    // Whether every line of candidate lies within the height (a word wider than the label may be cut).
    bool linesFit(const QString& candidate) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PanelLabel* m_title = nullptr;
    PanelLabel* m_value = nullptr;
    bool m_notice = false;

    // Lays the text out at the label's width; counts lines into total and the whole ones into visible.
    template <typename LineAction>
    void layOut(const QString& text, LineAction&& action, int* total, int* visible) const;
};
