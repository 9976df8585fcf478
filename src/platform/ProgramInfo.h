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

    // The values for the executable at executablePath: its name and folder are taken from that path,
    // which keeps their exact bytes where the system's own answer for them would not. The platform's
    // implementation finds the running process's values (RunningProgram on Linux).
    static ProgramInfo of(const QString& executablePath, const QStringList& arguments,
                          const QString& workingFolder);
};
