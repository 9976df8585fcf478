// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/ShellHelp.h"
#include "shell/HelpFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

// The built help opens in the viewer the shell has for it; a missing file or a type without a viewer
// reports that nothing started.
TEST(ShellHelpTest, TheHelpOpensOnlyWhereTheShellHasAViewer)
{
    const fs::path folder = fs::temp_directory_path() / L"tilgomatic help \u00e4";
    fs::create_directories(folder);
    const fs::path unknownType = folder / L"hilfe.tilgo-unbekannt";
    std::ofstream(unknownType) << "x";
    EXPECT_FALSE(ShellHelp::open(HelpFile::chmPath(folder), nullptr)); // none there
    EXPECT_FALSE(ShellHelp::open(unknownType, nullptr));
    fs::remove_all(folder);

    // The build puts the help beside the program, one folder above the tests.
    wchar_t self[32768];
    const fs::path build =
        fs::path(std::wstring(self, GetModuleFileNameW(nullptr, self, 32768))).parent_path().parent_path();
    if (std::getenv("DISPLAY") == nullptr || !fs::exists(HelpFile::chmPath(build)))
        GTEST_SKIP() << "the viewer needs an X display and the built help";
    EXPECT_TRUE(ShellHelp::open(HelpFile::chmPath(build), nullptr));
    // The viewer's window closes again, so that no process outlives the test.
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (HWND viewer = FindWindowW(L"HH Parent", nullptr)) {
            PostMessageW(viewer, WM_CLOSE, 0, 0);
            break;
        }
    }
}
