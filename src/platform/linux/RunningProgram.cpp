// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/RunningProgram.h"

#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDir>

#include <climits>
#include <unistd.h>

namespace {

// The working folder with its exact bytes; Qt's own answer would lose those that are not UTF-8.
QString workingFolderOfProcess()
{
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) != nullptr)
        return NativePath::fromNative(QByteArray(buffer));
    return QDir::currentPath();
}

// The running executable with its exact bytes; Qt's answer would lose those that are not UTF-8.
QString executableOfProcess()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length > 0 && length < static_cast<ssize_t>(sizeof buffer))
        return NativePath::fromNative(QByteArray(buffer, length));
    return QCoreApplication::applicationFilePath();
}

} // namespace

ProgramInfo RunningProgram::info(int argc, const char* const* argv)
{
    return ProgramInfo::of(executableOfProcess(), NativePath::arguments(argc, argv),
                           workingFolderOfProcess());
}
