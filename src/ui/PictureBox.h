#pragma once

#include <QLabel>

class QMouseEvent;

// A picture drawn at its natural size, without border, that reports a click: a press and a release of
// the left button inside it.
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
