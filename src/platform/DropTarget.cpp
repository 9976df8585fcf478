// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DropTarget.h"

#include "platform/NativePath.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

namespace {

// True when host names this machine: empty, "localhost" or its own host name.
bool isThisHost(const QString& host)
{
    return host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

} // namespace

namespace DropTarget {

// The first file of this machine among the drop's entries, as a local path; a null QString when the drop
// holds none (text, web addresses, file URLs naming another host). Like a file manager's file list, the
// list is made of this machine's files only; entries of other kinds are not part of it.
QString droppedTarget(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls()) {
        // toLocalFile() turns file://host/p into "//host/p", which Linux reads as "/host/p": a file of
        // this machine that the user never chose. Only our own host may stand in the URL.
        if (!url.isLocalFile() || !isThisHost(url.host()))
            continue;
        // The path's own bytes, "%E4" as the byte 0xE4 (not U+FFFD, which would name another file).
        const QString path = NativePath::fromFileUrl(url);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

} // namespace DropTarget
