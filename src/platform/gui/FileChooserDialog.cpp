#include "platform/gui/FileChooserDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

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
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    if (result != QDialog::Accepted || chosen.isEmpty() || !QFileInfo::exists(chosen.first()))
        return QString();
    return QDir::cleanPath(chosen.first());
}
