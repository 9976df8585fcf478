#include "platform/gui/TreeBrowseDialog.h"

#include "platform/gui/TreeBrowseWindow.h"

#include <QPointer>

QString TreeBrowseDialog::exec(const Request& request)
{
    // On the heap and guarded: the owner deletes its children, and it may be destroyed while the
    // window's own event loop runs.
    QPointer<TreeBrowseWindow> window = new TreeBrowseWindow(request);
    const int result = window->exec();
    if (window.isNull())
        return QString();
    const QString path = result == QDialog::Accepted ? window->confirmedPath() : QString();
    delete window;
    return path;
}
