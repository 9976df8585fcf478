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

    // How many lines of the current text are drawn (at most as many as fit the height).
    int visibleLineCount() const;
    // How many lines the current text takes at the label's width.
    int lineCount() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out at the label's width; counts lines into total and the whole ones into visible.
    template <typename LineAction>
    void layOut(LineAction&& action, int* total, int* visible) const;
};
