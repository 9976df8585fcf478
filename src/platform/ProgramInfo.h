// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the running program knows of itself and of how it was started.
struct ProgramInfo
{
    QString executableName; // file name without folder and extension
    QString programFolder;  // folder of the executable, no trailing separator
    QString executablePath; // the executable itself, with its exact bytes (NativePath)
    QStringList arguments;  // the arguments after the program's own name
    QString workingFolder;  // the folder relative paths are taken against

    // The values of the current process (QCoreApplication must exist), with the arguments taken from
    // main's argc and argv byte for byte.
    static ProgramInfo current(int argc, const char* const* argv);
};
