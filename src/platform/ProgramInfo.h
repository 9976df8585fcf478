// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What the running program knows of itself and of how it was started. Names, paths and arguments keep
// their exact bytes.
struct ProgramInfo
{
    std::string executableName;           // file name without folder and extension, native bytes
    std::filesystem::path programFolder;  // folder of the executable, no trailing separator
    std::filesystem::path executablePath; // the executable itself
    std::vector<std::string> arguments;   // the arguments after the program's own name, native bytes
    std::filesystem::path workingFolder;  // the folder relative paths are taken against

    // The values for the executable at executablePath: its name and folder are taken from that path.
    // The platform's implementation finds the running process's values (RunningProgram on Linux).
    static ProgramInfo of(const std::filesystem::path& executablePath, std::vector<std::string> arguments,
                          const std::filesystem::path& workingFolder);
};
