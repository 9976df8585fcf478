// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BrowseFolders.h"

#include "platform/CoreBridge.h"
#include "platform/gui/BrowseDialog.h"
#include "target/PanelText.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString StatusMarker = QStringLiteral("$");

} // namespace

namespace modBrowseFolders {

QString itemPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return QString();
    return QDir::cleanPath(info.absoluteFilePath());
}

QString startFolder(const QString& targetPath)
{
    const QString folder =
        CoreBridge::fromPath(PanelText::parentFolder(CoreBridge::toPath(targetPath).native()));
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return QDir::homePath();
}

// Builds the request from the arguments and shows the dialog. The root and the start path pass only
// when they name an existing item (otherwise the whole file system is offered and the dialog opens
// where it likes).
QString BrowseForFolder(BrowseDialog& dialog, const QString& title, const QString& startPath, QWidget* owner,
                        bool statusLine, const std::optional<QString>& root, bool newStyle, bool includeFiles)
{
    BrowseDialog::Request request;
    request.owner = owner;
    if (root)
        request.rootPath = itemPath(*root);
    // "$" would be taken for the status line's marker; the title then shows empty.
    request.title = statusLine && title == StatusMarker ? QString() : title;
    request.statusLine = statusLine;
    request.newStyle = newStyle;
    request.includeFiles = includeFiles;
    request.startPath = itemPath(startPath);
    return dialog.exec(request);
}

} // namespace modBrowseFolders
