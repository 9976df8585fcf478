// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QLabel>

class QMouseEvent;

// A picture drawn at its natural size, without border, that reports a click: a press and a release of
// the left button inside it.
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The key that presses the picture from anywhere in the window (the window binds it); screen readers
    // announce it with the picture's press action.
    QKeySequence shortcut() const { return m_shortcut; }
    void setShortcut(const QKeySequence& shortcut) { m_shortcut = shortcut; }

    // A click from the keyboard or a screen reader.
    void press() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
    QKeySequence m_shortcut;
};
