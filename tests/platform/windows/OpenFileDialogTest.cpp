// SPDX-License-Identifier: GPL-3.0-or-later
// The open-file dialog shown for real (under Wine it needs an X display), answered by a second thread as
// a user would: a name typed into the file box and OK, OK on what it shows, or Cancel.
#include "platform/windows/OpenFileDialog.h"

#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const wchar_t* const Title = L"Datei zum l\u00f6schen suchen";

// Finds the dialog by its title, types name (unless empty) and presses button. A dialog that stays open
// after that is cancelled, so that the test fails instead of hanging.
void answer(const std::wstring& name, int button)
{
    HWND dialog = nullptr;
    for (int i = 0; i < 300 && !dialog; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        dialog = FindWindowW(L"#32770", Title);
    const auto press = [dialog](int id) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
    };
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (!name.empty()) // the file box: a combo box in the newer layout, an edit field in the older
        SendMessageW(GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1),
                     WM_SETTEXT, 0, LPARAM(name.c_str()));
    press(button);
    for (int i = 0; i < 100 && IsWindow(dialog); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (IsWindow(dialog))
        press(IDCANCEL);
}

} // namespace

TEST(OpenFileDialogTest, TheChosenFileComesBackWholeAndCancelGivesNothing)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    const fs::path folder = fs::temp_directory_path() / L"tilgomatic dialog \u00e4";
    const fs::path chosen = folder / L"Gr\u00fc\u00dfe an alle.txt";
    const fs::path other = folder / L"Unter Ordner" / L"zweite Datei.bin";
    fs::create_directories(other.parent_path());
    std::ofstream(chosen) << "x";
    std::ofstream(other) << "y";
    const struct
    {
        fs::path start;
        std::wstring typed; // empty: OK on what the dialog shows
        int button;
        fs::path result;
    } rows[] = {
        {folder, chosen.filename().native(), IDOK, chosen},
        {folder, other.native(), IDOK, other}, // a full path typed in
        {chosen, L"", IDOK, chosen},           // a file to start with is filled in
        {folder, chosen.filename().native(), IDCANCEL, fs::path()},
    };
    for (const auto& row : rows) {
        BrowseDialog::Request request;
        request.title = "Datei zum l\u00f6schen suchen";
        request.startPath = row.start;
        std::thread user(answer, row.typed, row.button);
        EXPECT_EQ(OpenFileDialog().exec(request), row.result);
        user.join();
    }
    fs::remove_all(folder);
}
