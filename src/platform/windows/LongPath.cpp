// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/LongPath.h"

#include <windows.h>

namespace {

// Below this length every function takes the plain form: CreateDirectoryW stops 12 short of MAX_PATH.
constexpr std::size_t PlainLimit = MAX_PATH - 12;

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

std::wstring LongPath::forApi(const std::filesystem::path& path)
{
    const std::wstring& given = path.native();
    if (given.size() < PlainLimit || given.starts_with(Verbatim) || given.starts_with(DeviceSpace))
        return given;
    // \\?\ turns off the system's own clean-up of the path, so the path is cleaned up first.
    const std::wstring full = fullPath(given);
    if (full.size() < PlainLimit || full.starts_with(Verbatim) || full.starts_with(DeviceSpace))
        return full;
    if (full.starts_with(LR"(\\)"))
        return VerbatimUnc + full.substr(2);
    return Verbatim + full;
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
