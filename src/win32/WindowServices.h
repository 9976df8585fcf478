// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NumberFormat.h"
#include "platform/ProgramInfo.h"

#include <windows.h>

#include <functional>

class BrowseDialog;
class FileSystem;
class Registry;
class SettingsStore;

// Everything the Windows main window needs from outside: the platform's services and what the program
// knows of itself. wWinMain hands in the real ones; tests hand in doubles.
struct WindowServices
{
    FileSystem& fileSystem;
    SettingsStore& settings;
    Registry& registry;
    BrowseDialog& browseDialog;
    ProgramInfo program;
    // How the user's locale writes numbers.
    NumberFormat numbers;
    // Opens the help file over owner; nothing happens when there is none to open.
    std::function<void(HWND owner)> openHelp;
};
