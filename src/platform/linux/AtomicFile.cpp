// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace AtomicFile {

bool write(const QString& path, const QByteArray& data, std::optional<QFile::Permissions> mode)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qWarning("Cannot create %s", qUtf8Printable(folder));
        return false;
    }
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() &&
                         (!mode || file.setPermissions(*mode)) && file.commit();
    if (!written)
        qWarning("Cannot write %s: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
    return written;
}

} // namespace AtomicFile
