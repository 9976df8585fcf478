#include "platform/gui/FileChooserDialog.h"

#include "platform/NativePath.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

QString FileChooserDialog::exec(const Request& request)
{
    if (request.statusLine || !request.rootPath.isEmpty())
        return m_tree.exec(request);

    // On the heap and guarded: the owner deletes its children, and it may be destroyed while the
    // chooser's own event loop runs.
    QPointer<QFileDialog> dialog = new QFileDialog(request.owner, request.title);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(request.includeFiles ? QFileDialog::ExistingFile : QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, !request.includeFiles);
    dialog->setOption(QFileDialog::DontUseNativeDialog, !m_native);
    // A link comes back as itself, not as the file it points to: the panel then names what the user
    // picked, and the delete command refuses a link rather than destroying a file elsewhere.
    dialog->setOption(QFileDialog::DontResolveSymlinks);
    const QFileInfo start(request.startPath);
    if (start.isDir()) {
        dialog->setDirectory(start.absoluteFilePath());
    } else if (start.exists()) {
        dialog->setDirectory(start.absolutePath());
        dialog->selectFile(start.fileName());
    }

    const int result = dialog->exec();
    if (dialog.isNull())
        return QString();
    // The URL keeps a name's exact bytes where the desktop's chooser lists names that are no UTF-8; the
    // plain path would have turned them into another name.
    const QList<QUrl> urls = dialog->selectedUrls();
    const QStringList files = dialog->selectedFiles();
    delete dialog;
    if (result != QDialog::Accepted)
        return QString();
    const QString chosen = !urls.isEmpty() && urls.first().isLocalFile()
                               ? NativePath::fromFileUrl(urls.first())
                           : !files.isEmpty() ? files.first()
                                              : QString();
    if (chosen.isEmpty() || LinuxFileSystem().longPathName(chosen).isEmpty())
        return QString();
    return QDir::cleanPath(chosen);
}
