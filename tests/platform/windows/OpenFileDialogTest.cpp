// SPDX-License-Identifier: GPL-3.0-or-later
// The open-file dialog shown for real (needs an X display under Wine) and answered by a second thread as a
// user would: a name typed into the file box and OK, OK alone, or Cancel.
#include "platform/windows/OpenFileDialog.h"

#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

const wchar_t* const Title = L"Datei zum l\u00f6schen suchen";

// Waits for the dialog by its title, types name into its file box unless name is null, then presses button.
// A dialog that stays open (it refused the answer) is cancelled, so that the test fails instead of hanging.
void answer(const wchar_t* name, int button)
{
    HWND dialog = nullptr;
    for (int i = 0; i < 300 && dialog == nullptr; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        dialog = FindWindowW(L"#32770", Title);
    }
    if (dialog == nullptr)
        return; // the test then hangs in the dialog: ctest's timeout ends it
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (name != nullptr) {
        // The file box is a combo box (cmb13) in the newer layout, an edit field (edt1) in the older one.
        HWND box = GetDlgItem(dialog, cmb13);
        if (box == nullptr)
            box = GetDlgItem(dialog, edt1);
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    }
    const auto press = [dialog](int id) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    };
    press(button);
    for (int i = 0; i < 100 && IsWindow(dialog); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (IsWindow(dialog))
        press(IDCANCEL);
}

} // namespace

TEST(OpenFileDialogTest, TheChosenFileComesBackWholeAndCancelGivesNothing)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X display";
    const fs::path folder = fs::temp_directory_path() / L"tilgomatic dialog \u00e4";
    fs::remove_all(folder);
    fs::create_directories(folder / L"Unter Ordner");
    const fs::path chosen = folder / L"Gr\u00fc\u00dfe an alle.txt";
    const fs::path other = folder / L"Unter Ordner" / L"zweite Datei.bin";
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
    OpenFileDialog dialog;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result.string());
        BrowseDialog::Request request;
        request.title = "Datei zum l\u00f6schen suchen";
        request.startPath = row.start;
        request.includeFiles = true;
        std::thread user(answer, row.typed.empty() ? nullptr : row.typed.c_str(), row.button);
        const fs::path result = dialog.exec(request);
        user.join();
        EXPECT_EQ(result, row.result);
    }
    fs::remove_all(folder);
}
