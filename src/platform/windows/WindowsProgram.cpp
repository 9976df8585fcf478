// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/WindowsProgram.h"

#include "platform/NativeText.h"

#include <windows.h>

#include <filesystem>
#include <vector>

namespace {

// GetModuleFileNameW cuts a path that does not fit and says so only by filling the buffer: grow until it
// fits.
std::filesystem::path executableOfProcess()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    while (buffer.size() <= std::size_t(32768) * 2) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::filesystem::path(std::wstring(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::filesystem::path workingFolderOfProcess()
{
    // The size asked for includes the terminating NUL; the folder may change between the two calls.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD size = GetCurrentDirectoryW(0, nullptr);
        if (size == 0)
            return {};
        std::vector<wchar_t> buffer(size);
        const DWORD length = GetCurrentDirectoryW(size, buffer.data());
        if (length == 0)
            return {};
        if (length < size)
            return std::filesystem::path(std::wstring(buffer.data(), length));
    }
    return {};
}

} // namespace

namespace WindowsProgram {

std::wstring_view argumentText(std::wstring_view commandLine)
{
    std::size_t i = 0;
    bool quoted = false;
    while (i < commandLine.size() && (commandLine[i] > L' ' || quoted)) {
        if (commandLine[i] == L'"')
            quoted = !quoted;
        ++i;
    }
    while (i < commandLine.size() && commandLine[i] <= L' ')
        ++i;
    return commandLine.substr(i);
}

ProgramInfo info()
{
    const std::wstring_view text = argumentText(GetCommandLineW());
    std::vector<std::string> arguments;
    if (!text.empty())
        arguments.push_back(NativeText::fromUtf16(text));
    return ProgramInfo::of(executableOfProcess(), std::move(arguments), workingFolderOfProcess());
}

} // namespace WindowsProgram
