// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/ShellHelp.h"

#include <windows.h>

#include <shellapi.h>

bool ShellHelp::open(const std::filesystem::path& helpFile, void* owner)
{
    // ShellExecuteW's result is no handle but a status: above 32 means started.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(static_cast<HWND>(owner), L"open", helpFile.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}
