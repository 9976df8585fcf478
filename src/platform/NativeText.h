// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// A path as the core's byte text, and back, on every platform: on Linux the path's exact bytes; on Windows
// the UTF-8 form of its UTF-16 units, with a lone surrogate kept as its three-byte form (WTF-8), so that
// every Windows name survives the round trip too. And the platform's path syntax, for the few places that
// take a path's text apart.
namespace NativeText {

// True where paths are Windows paths (drive letters, "\" and "/" both separators).
inline constexpr bool WindowsPaths = std::filesystem::path::preferred_separator != '/';
// The separator a joined path gets.
inline constexpr char Separator = WindowsPaths ? '\\' : '/';

std::string bytes(const std::filesystem::path& path);
std::filesystem::path path(std::string_view bytes);

// UTF-16 units and the byte text, as bytes() and path() convert them on Windows.
std::string fromUtf16(std::wstring_view units);
std::wstring toUtf16(std::string_view bytes);

bool isSeparator(char c);
// Bytes of the root at the start of text: "/" on Linux; "C:\", "\\server\share\", "\\?\C:\", "\" or "C:" on
// Windows; 0 for a relative path.
std::size_t rootLength(std::string_view text);
// True for a path that names the same file whatever the working folder.
bool isAbsolute(std::string_view text);
// text without its trailing separators, but never shorter than its root.
std::string withoutTrailingSeparators(std::string_view text);
// Where the last separator of text stands; npos for none.
std::size_t lastSeparator(std::string_view text);
// The folder that holds text's last name, trailing separators ignored ("/a/b/c.txt" gives "/a/b", "/c.txt"
// gives "/", "C:\x" gives "C:\"); "" for a root and for a bare name.
std::string parentFolder(std::string_view text);
// folder and name joined with one separator; name alone when it is absolute or folder is empty.
std::string joined(std::string_view folder, std::string_view name);

} // namespace NativeText
