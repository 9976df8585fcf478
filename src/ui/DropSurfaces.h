// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSet>

class QEvent;
class QWidget;

// The window's drop surfaces: the window and every control on it that shows no action of its own take a
// dropped file (OLEDragDrop); the controls that act refuse it, and so does a surface over them.
class DropSurfaces : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    void accept(QWidget* surface);
    void refuse(QWidget* control);

signals:
    // The first local file of a drop on a surface that takes it.
    void dropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<QObject*> m_surfaces;
    QSet<QObject*> m_refusers;
};
