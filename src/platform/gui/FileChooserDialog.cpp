// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gui/FileChooserDialog.h"

#include "platform/CoreBridge.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace {

// Whether path lies at or below root; everything does when there is no root.
bool isWithin(const QString& path, const QString& root)
{
    if (root.isEmpty() || root == QLatin1String("/"))
        return true;
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

std::filesystem::path FileChooserDialog::exec(const Request& request)
{
    const QString rootPath = CoreBridge::fromPath(request.rootPath);
    const QString startPath = CoreBridge::fromPath(request.startPath);
    // On the heap and guarded: the owner deletes its children, and it may be destroyed while the
    // chooser's own event loop runs.
    QPointer<QFileDialog> dialog =
        new QFileDialog(static_cast<QWidget*>(request.owner), CoreBridge::fromText(request.title));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(request.includeFiles ? QFileDialog::ExistingFile : QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, !request.includeFiles);
    dialog->setOption(QFileDialog::DontUseNativeDialog, !m_native);
    // A link comes back as itself, not as the file it points to: the panel then names what the user
    // picked, and the delete command refuses a link rather than destroying a file elsewhere.
    dialog->setOption(QFileDialog::DontResolveSymlinks);
    // Outside the root the chooser opens on the root itself.
    const QString root = rootPath.isEmpty() ? QString() : QDir::cleanPath(rootPath);
    const QFileInfo start(isWithin(startPath, root) ? startPath : root);
    if (start.isDir()) {
        dialog->setDirectory(start.absoluteFilePath());
    } else if (start.exists()) {
        dialog->setDirectory(start.absolutePath());
        dialog->selectFile(start.fileName());
    }

    const int result = dialog->exec();
    if (dialog.isNull())
        return {};
    // The URL keeps a name's exact bytes where the desktop's chooser lists names that are no UTF-8; the
    // plain path would have turned them into another name.
    const QList<QUrl> urls = dialog->selectedUrls();
    const QStringList files = dialog->selectedFiles();
    delete dialog;
    if (result != QDialog::Accepted)
        return {};
    const QString chosen = !urls.isEmpty() && urls.first().isLocalFile()
                               ? NativePath::fromFileUrl(urls.first())
                           : !files.isEmpty() ? files.first()
                                              : QString();
    if (chosen.isEmpty() || m_fileSystem.longPathName(CoreBridge::toPath(chosen)).empty())
        return {};
    const QString path = QDir::cleanPath(chosen);
    return isWithin(path, root) ? CoreBridge::toPath(path) : std::filesystem::path();
}
