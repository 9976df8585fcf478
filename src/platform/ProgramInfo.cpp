#include "platform/ProgramInfo.h"

#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

} // namespace

ProgramInfo ProgramInfo::current(int argc, const char* const* argv)
{
    ProgramInfo info;
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    info.executableName = executable.completeBaseName();
    info.programFolder = executable.absolutePath();
    info.arguments = NativePath::arguments(argc, argv);
    info.workingFolder = workingFolderOfProcess();
    return info;
}
