// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/IniSettingsStore.h"

#include "platform/NativePath.h"
#include "platform/linux/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// True when name can stand as one folder and file name: not empty, no separator, not "." or "..".
bool usableName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..") && !name.contains(QChar(0));
}

// The text of a stored value. QSettings turns an unquoted value with commas, written by hand, into a
// list; its text is then the items joined by commas.
QString valueText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// Reads one key from the INI file at path. Returns nothing when the key is missing or the file could
// not be read cleanly: a half-parsed file is not trusted.
std::optional<QString> readValue(const QString& path, const QString& section, const QString& key)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt; // also keeps QSettings from looking at a folder of that name
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    const QVariant value = settings.value(section + QLatin1Char('/') + key);
    if (!value.isValid())
        return std::nullopt;
    return valueText(value);
}

// True when root would write into another user's folder: the file and any folder it creates would belong to
// root there, and the user's own changes would no longer be saved (sudo with the user's HOME kept). Looks at
// the file, else the nearest folder above it that exists.
bool rootInOtherUsersFolder(const QString& path)
{
    if (::geteuid() != 0)
        return false;
    for (QString at = path;; at = QFileInfo(at).path()) {
        struct stat info
        {
        };
        if (::lstat(QFile::encodeName(at).constData(), &info) == 0)
            return info.st_uid != 0;
        if (at == QFileInfo(at).path())
            return false;
    }
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : m_configFolder(UserFolders::configHome())
{}

IniSettingsStore::IniSettingsStore(const QString& configFolder)
    : m_configFolder(configFolder)
{}

QString IniSettingsStore::filePath(const QString& application) const
{
    if (!usableName(application))
        return QString();
    return m_configFolder + QLatin1Char('/') + application + QLatin1Char('/') + application +
           QStringLiteral(".conf");
}

std::string IniSettingsStore::read(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& defaultValue)
{
    const QString path = filePath(NativePath::fromNative(QByteArray::fromStdString(application)));
    if (path.isEmpty())
        return defaultValue;
    const std::optional<QString> value =
        readValue(path, QString::fromStdString(section), QString::fromStdString(key));
    return value ? value->toStdString() : defaultValue;
}

bool IniSettingsStore::save(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value)
{
    const QString path = filePath(NativePath::fromNative(QByteArray::fromStdString(application)));
    const QString group = QString::fromStdString(section);
    const QString name = QString::fromStdString(key);
    const QString text = QString::fromStdString(value);
    if (path.isEmpty() || QFileInfo(path).isDir() || rootInOtherUsersFolder(path))
        return false;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(group + QLatin1Char('/') + name, text);
        settings.sync();
        // A damaged file reports FormatError although QSettings rewrote it; only AccessError means
        // that nothing was written. Whether the value really landed is checked below.
        if (settings.status() == QSettings::AccessError)
            return false;
    }
    return readValue(path, group, name) == text;
}
