// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/MainWindowPresenter.h"

#include <windows.h>

#include <functional>

// Everything the Windows main window needs from outside: the platform's services and what the program
// knows of itself. wWinMain hands in the real ones; tests hand in doubles.
struct WindowServices
{
    MainWindowPresenter::Services core;
    // Opens the help file over owner; nothing happens when there is none to open.
    std::function<void(HWND owner)> openHelp;
};
