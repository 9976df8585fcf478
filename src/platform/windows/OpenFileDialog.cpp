// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/OpenFileDialog.h"

#include "platform/NativeText.h"

#include <windows.h>

#include <commdlg.h>

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The longest path Windows knows, so that no choice is ever cut.
constexpr std::size_t BufferLength = 32768;

bool within(const fs::path& path, const fs::path& root)
{
    const fs::path relative = path.lexically_normal().lexically_relative(root.lexically_normal());
    return !relative.empty() && *relative.begin() != fs::path(L"..");
}

// One showing of the dialog, opening at start: its folder when it is one, else its parent with its name.
fs::path show(HWND owner, const std::wstring& title, const fs::path& start)
{
    std::vector<wchar_t> file(BufferLength, L'\0');
    fs::path folder = start;
    std::error_code error;
    if (!start.empty() && !fs::is_directory(start, error)) {
        folder = start.parent_path();
        const std::wstring name = start.filename().native();
        if (name.size() < BufferLength)
            name.copy(file.data(), name.size());
    }
    const std::wstring initialFolder = folder.native();

    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    request.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // Every file; the type box names the pattern itself, which needs no words in any language.
    request.lpstrFilter = L"*.*\0*.*\0";
    request.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                    OFN_NOCHANGEDIR | OFN_DONTADDTORECENT | OFN_NODEREFERENCELINKS;
    if (!GetOpenFileNameW(&request))
        return {};
    return fs::path(std::wstring(file.data()));
}

} // namespace

fs::path OpenFileDialog::exec(const Request& request)
{
    const HWND owner = static_cast<HWND>(request.owner);
    const std::wstring title = NativeText::toUtf16(request.title);
    fs::path start = request.startPath;
    if (!request.rootPath.empty() && (start.empty() || !within(start, request.rootPath)))
        start = request.rootPath;
    for (;;) {
        const fs::path chosen = show(owner, title, start);
        if (chosen.empty() || request.rootPath.empty() || within(chosen, request.rootPath))
            return chosen;
        start = request.rootPath;
    }
}
