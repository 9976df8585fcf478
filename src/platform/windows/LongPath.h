// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

// How a path is handed to the W functions: always in its exact \\?\ form (\\?\UNC\ for a share), made
// absolute with only "." and ".." resolved, so that the system changes no name on its way (a plain path loses
// the trailing blanks and dots of its names and reaches another file: "t.txt " becomes "t.txt") and refuses
// no path for its length.
class LongPath
{
public:
    // The exact form for the W functions; empty when path cannot be made absolute exactly.
    static std::wstring forApi(const std::filesystem::path& path);
    // An answer of the W functions about apiPath in the form the caller gave: without the \\?\ that
    // forApi put in front.
    static std::wstring asGiven(const std::wstring& answer, const std::filesystem::path& given);
    // True when path names a device or a volume rather than a file in a folder (COM1, NUL, \\.\C:,
    // \\.\PhysicalDrive0): opening one can have effects of its own.
    static bool namesDevice(const std::filesystem::path& path);
    // The folder apiPath lies in, in the same form; empty for a root or a bare name without a folder.
    static std::wstring folderOf(const std::wstring& apiPath);
    // path made absolute by the system's own rules (separators, "." and "..", trailing dots and blanks);
    // the path itself when that fails.
    static std::wstring fullPath(const std::wstring& path);
};
