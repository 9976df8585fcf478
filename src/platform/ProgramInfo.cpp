// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramInfo.h"

#include "platform/NativeText.h"

#include <utility>

ProgramInfo ProgramInfo::of(const std::filesystem::path& executablePath, std::vector<std::string> arguments,
                            const std::filesystem::path& workingFolder)
{
    ProgramInfo info;
    info.executablePath = executablePath;
    // Name and folder from the exact path, byte for byte: the settings are stored under the name.
    const std::string fileName = NativeText::bytes(executablePath.filename());
    // The name without its extension: up to its last dot.
    const std::size_t dot = fileName.rfind('.');
    info.executableName = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    info.programFolder = std::filesystem::absolute(executablePath).lexically_normal().parent_path();
    info.arguments = std::move(arguments);
    info.workingFolder = workingFolder;
    return info;
}
