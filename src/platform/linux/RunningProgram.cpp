// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/RunningProgram.h"

#include "platform/CoreBridge.h"

#include <QCoreApplication>
#include <QDir>

#include <climits>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The working folder with its exact bytes; Qt's own answer would lose those that are not UTF-8.
std::filesystem::path workingFolderOfProcess()
{
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) != nullptr)
        return std::filesystem::path(std::string(buffer));
    return CoreBridge::toPath(QDir::currentPath());
}

// The running executable with its exact bytes; Qt's answer would lose those that are not UTF-8.
std::filesystem::path executableOfProcess()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length > 0 && length < static_cast<ssize_t>(sizeof buffer))
        return std::filesystem::path(std::string(buffer, static_cast<std::size_t>(length)));
    return CoreBridge::toPath(QCoreApplication::applicationFilePath());
}

} // namespace

ProgramInfo RunningProgram::info(int argc, const char* const* argv)
{
    // Byte for byte: a file name that is no UTF-8 must reach the intake as it is.
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return ProgramInfo::of(executableOfProcess(), std::move(arguments), workingFolderOfProcess());
}
