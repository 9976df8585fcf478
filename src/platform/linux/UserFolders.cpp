#include "platform/linux/UserFolders.h"

#include <QDir>

namespace {

// The folder variable names when it is absolute, else belowHome inside the home folder.
QString xdgFolder(const char* variable, const QString& belowHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + belowHome;
}

} // namespace

namespace UserFolders {

QString dataHome()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString configHome()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

} // namespace UserFolders
