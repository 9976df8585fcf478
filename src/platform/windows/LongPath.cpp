// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/LongPath.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

const std::wstring Verbatim = LR"(\\?\)";
const std::wstring VerbatimUnc = LR"(\\?\UNC\)";
const std::wstring DeviceSpace = LR"(\\.\)";

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

} // namespace

std::wstring LongPath::fullPath(const std::wstring& path)
{
    std::wstring full(std::max<std::size_t>(path.size() + MAX_PATH, 64), L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.assign(length, L'\0');
    }
    return path;
}

// Made absolute by the system only where the text leaves the base to it (a relative path, "\\x" or "C:x"):
// the base is a folder the system already knows by its exact name. The names the user gave are then joined
// as they are; only "." and ".." are resolved, as the system itself would.
std::wstring LongPath::forApi(const std::filesystem::path& path)
{
    std::wstring given = path.native();
    if (given.empty() || given.starts_with(Verbatim) || given.starts_with(DeviceSpace))
        return given;
    std::replace(given.begin(), given.end(), L'/', L'\\');
    std::wstring root;
    std::size_t rest = 0;
    if (given.starts_with(LR"(\\)")) {
        // \\server\share: both stay, and ".." never climbs above them.
        const std::size_t server = given.find(L'\\', 2);
        const std::size_t share = server == std::wstring::npos ? server : given.find(L'\\', server + 1);
        if (server == std::wstring::npos || server == 2)
            return {};
        root = VerbatimUnc + given.substr(2, share == std::wstring::npos ? share : share - 2);
        rest = share == std::wstring::npos ? given.size() : share;
    } else if (given.size() >= 3 && given[1] == L':' && given[2] == L'\\') {
        root = Verbatim + given.substr(0, 2);
        rest = 2;
    } else {
        // Relative to the current folder, to the current drive's root or to a drive's current folder.
        const bool onDrive = given.size() >= 2 && given[1] == L':';
        const std::wstring baseText = onDrive ? given.substr(0, 2) : given.starts_with(L'\\') ? L"\\" : L".";
        const std::wstring base = fullPath(baseText);
        if (base == baseText || !(base.starts_with(LR"(\\)") || (base.size() >= 3 && base[1] == L':')))
            return {};
        const std::wstring relative = given.substr(onDrive ? 2 : 0);
        return forApi(std::filesystem::path(base + L"\\" + relative));
    }
    std::vector<std::wstring> names;
    for (std::size_t at = rest; at < given.size();) {
        std::size_t end = given.find(L'\\', at);
        if (end == std::wstring::npos)
            end = given.size();
        const std::wstring name = given.substr(at, end - at);
        if (name == L"..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != L".") {
            names.push_back(name);
        }
        at = end + 1;
    }
    std::wstring exact = root;
    for (const std::wstring& name : names)
        exact += L"\\" + name;
    // A trailing separator stays: it asks for a folder.
    if (names.empty() || given.ends_with(L'\\'))
        exact += L'\\';
    return exact;
}

std::wstring LongPath::asGiven(const std::wstring& answer, const std::filesystem::path& given)
{
    if (given.native().starts_with(Verbatim))
        return answer;
    if (answer.starts_with(VerbatimUnc))
        return LR"(\\)" + answer.substr(VerbatimUnc.size());
    if (answer.starts_with(Verbatim))
        return answer.substr(Verbatim.size());
    return answer;
}

bool LongPath::namesDevice(const std::filesystem::path& path)
{
    // The system turns a reserved name (COM1, NUL, CON, in older versions also with an extension) into its
    // \\.\ form here. Files in that space lie below a drive, a share or a volume (\\?\C:\file.txt,
    // \\?\UNC\server\share\file.txt, \\?\Volume{...}\file.txt); anything else there is a device, a pipe
    // or a mailslot, and so is a drive or volume without a folder part.
    const std::wstring full = fullPath(path.native());
    if (!full.starts_with(Verbatim) && !full.starts_with(DeviceSpace))
        return false;
    const std::wstring rest = full.substr(Verbatim.size());
    const std::size_t separator = rest.find_first_of(L"\\/");
    if (separator == std::wstring::npos)
        return true;
    const std::wstring first = rest.substr(0, separator);
    const bool drive = first.size() == 2 && first[1] == L':';
    const bool share = (first == L"UNC" || first == L"unc");
    const bool volume = first.starts_with(L"Volume{") || first.starts_with(L"volume{");
    return !drive && !share && !volume;
}

std::wstring LongPath::folderOf(const std::wstring& apiPath)
{
    std::size_t end = apiPath.size();
    while (end > 0 && isSeparator(apiPath[end - 1]))
        --end;
    std::size_t separator = end;
    while (separator > 0 && !isSeparator(apiPath[separator - 1]))
        --separator;
    if (separator == 0 || end == 0)
        return {};
    const std::wstring folder = apiPath.substr(0, separator);
    const std::wstring trimmed = folder.substr(0, folder.find_last_not_of(L"\\/") + 1);
    // The name is a root itself ("\\?\C:\", "\\server\share"): it lies in no folder.
    if (trimmed.empty() || trimmed == L"\\\\?" || trimmed == L"\\\\." ||
        (trimmed.starts_with(L"\\\\") && trimmed.find_first_of(L"\\/", 2) == std::wstring::npos))
        return {};
    // "C:\" and "\\?\C:\" keep their separator: without it they name the drive's current folder or the
    // volume itself.
    if (trimmed.ends_with(L':'))
        return folder;
    return trimmed;
}
