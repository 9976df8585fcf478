// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProgramInfo.h"

class BrowseDialog;
class FileSystem;
class Registry;
class SettingsStore;
class ShellEntries;

// Everything the main window needs from outside: the platform's services and what the program knows of
// itself. main() hands in the real ones; tests hand in doubles.
struct MainServices
{
    FileSystem& fileSystem;
    SettingsStore& settings;
    Registry& registry;
    BrowseDialog& browseDialog;
    ProgramInfo program;
    // Started as root on behalf of another user (sudo, pkexec): the file-manager entries would land in
    // root's home, so the window offers no context-menu entry then.
    bool rootForOtherUser = false;
    // The file managers' entries, kept in line from start-up on; none where they are not ours to keep.
    ShellEntries* shellEntries = nullptr;
};
