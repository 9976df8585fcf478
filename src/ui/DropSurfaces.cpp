// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DropSurfaces.h"

#include "platform/DropTarget.h"

#include <QDropEvent>
#include <QWidget>

namespace {

// The action a file drop is taken with: a copy where the source offers one, else a link, so that no
// source ever deletes its file because we answered "moved". Ignore for a drop without a local file.
Qt::DropAction fileDropAction(const QDropEvent* event)
{
    if (DropTarget::droppedTarget(event->mimeData()).isNull())
        return Qt::IgnoreAction;
    if (event->possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event->possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace

void DropSurfaces::accept(QWidget* surface)
{
    surface->setAcceptDrops(true);
    surface->installEventFilter(this);
    m_surfaces.insert(surface);
}

void DropSurfaces::refuse(QWidget* control)
{
    // The control has to take part in drag and drop to refuse: a control that ignores the drag hands it
    // on to the frame or window behind it, which would take the file.
    control->setAcceptDrops(true);
    control->installEventFilter(this);
    m_refusers.insert(control);
}

// Answers the drag events of drop surfaces and refusing controls.
bool DropSurfaces::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove &&
        event->type() != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drag = static_cast<QDropEvent*>(event);
    const auto refuse = [drag, event] {
        // Taking the enter event with the ignore action ends the drag's search for a target here; the
        // refused moves and drop then keep the file out.
        drag->setDropAction(Qt::IgnoreAction);
        if (event->type() == QEvent::DragEnter)
            drag->accept();
        else
            drag->ignore();
        return true;
    };
    if (m_refusers.contains(watched))
        return refuse();

    if (!m_surfaces.contains(watched))
        return false;
    // A disabled control passes its drag events on to the surface behind it; over a control that refuses
    // drops the surface refuses too.
    auto* surfaceWidget = static_cast<QWidget*>(watched);
    for (QWidget* under = surfaceWidget->childAt(drag->position().toPoint()); under && under != surfaceWidget;
         under = under->parentWidget())
        if (m_refusers.contains(under))
            return refuse();
    const Qt::DropAction action = fileDropAction(drag);
    if (action == Qt::IgnoreAction) {
        // Not ours to take: the surface behind may refuse it as well.
        drag->ignore();
        return true;
    }
    drag->setDropAction(action);
    drag->accept();
    if (event->type() == QEvent::Drop)
        emit dropped(DropTarget::droppedTarget(drag->mimeData()));
    return true;
}
