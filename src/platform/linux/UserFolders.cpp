// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/UserFolders.h"

#include "platform/NativePath.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace {

// The folder variable names when it is absolute, else belowHome inside the home folder.
QString xdgFolder(const char* variable, const QString& belowHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return UserFolders::home() + belowHome;
}

} // namespace

namespace UserFolders {

QString home()
{
    const QString value = qEnvironmentVariable("HOME");
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    // Without HOME Qt answers "/", and the settings would land in /.config.
    if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir && user->pw_dir[0] == '/')
        return NativePath::fromNative(QByteArray(user->pw_dir));
    return QDir::rootPath();
}

QString dataHome()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString configHome()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

} // namespace UserFolders
