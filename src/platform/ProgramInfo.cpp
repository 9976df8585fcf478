#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ProgramInfo ProgramInfo::current()
{
    ProgramInfo info;
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    info.executableName = executable.completeBaseName();
    info.programFolder = executable.absolutePath();
    info.arguments = QCoreApplication::arguments().mid(1);
    info.workingFolder = QDir::currentPath();
    return info;
}
