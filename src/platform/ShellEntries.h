// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// The context-menu entry of the program in the desktop's file managers, kept in line with the stored
// wish while the program runs. It writes only the file managers' own files and never calls the registry.
class ShellEntries
{
public:
    virtual ~ShellEntries() = default;

    // The entry is wanted: writes what is missing of it, and keeps it so while the program runs (a file
    // manager that appears or rewrites its own file).
    virtual void bringInLine() = 0;
    // The file managers of this user that are running now and show a change of the entries only after
    // they restart, by their display names (UTF-8).
    virtual std::vector<std::string> runningWithDelayedUpdate() const = 0;
};
