// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/FileQueries.h"

#include "platform/windows/FileHandle.h"

#include <windows.h>

#include <restartmanager.h>

std::optional<std::vector<std::wstring>> FileQueries::streamNames(const std::wstring& apiPath)
{
    std::vector<std::wstring> names;
    WIN32_FIND_STREAM_DATA found{};
    const HANDLE search = ::FindFirstStreamW(apiPath.c_str(), FindStreamInfoStandard, &found, 0);
    if (search == INVALID_HANDLE_VALUE) {
        // The answer of a file system without streams, and of a file that has only the unnamed one.
        if (::GetLastError() == ERROR_HANDLE_EOF)
            return names;
        return std::nullopt;
    }
    do {
        const std::wstring name = found.cStreamName;
        if (name != L"::$DATA")
            names.push_back(name);
    } while (::FindNextStreamW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_HANDLE_EOF)
        return std::nullopt;
    return names;
}

namespace {

// The file name of a process's executable without its folder and ".exe"; empty when it cannot be read.
std::wstring imageName(DWORD processId)
{
    const FileHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return {};
    wchar_t image[MAX_PATH * 4] = {};
    DWORD length = DWORD(std::size(image));
    if (!::QueryFullProcessImageNameW(process.get(), 0, image, &length))
        return {};
    std::wstring name(image, length);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".exe") == 0)
        name.resize(name.size() - 4);
    return name;
}

} // namespace

std::wstring FileQueries::holder(const std::wstring& apiPath)
{
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (::RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return {};
    LPCWSTR files[] = {apiPath.c_str()};
    UINT needed = 0;
    UINT count = 0;
    DWORD reasons = 0;
    std::vector<RM_PROCESS_INFO> processes;
    if (::RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
        // The list may grow between the two calls.
        for (int attempt = 0; attempt < 3; ++attempt) {
            processes.resize(needed);
            count = UINT(processes.size());
            const DWORD error = ::RmGetList(session, &needed, &count, processes.data(), &reasons);
            if (error == ERROR_SUCCESS) {
                processes.resize(count);
                break;
            }
            processes.clear();
            if (error != ERROR_MORE_DATA)
                break;
        }
    }
    ::RmEndSession(session);
    for (const RM_PROCESS_INFO& process : processes) {
        std::wstring name = imageName(process.Process.dwProcessId);
        if (name.empty())
            name = process.strAppName;
        if (!name.empty())
            return name;
    }
    return {};
}

std::optional<FileQueries::AttributeTag> FileQueries::attributeTag(void* handle)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
        return std::nullopt;
    return AttributeTag{tag.FileAttributes, tag.ReparseTag};
}

bool FileQueries::rightsAllowWrite(const std::wstring& apiPath)
{
    constexpr SECURITY_INFORMATION parts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    ::GetFileSecurityW(apiPath.c_str(), parts, nullptr, 0, &size);
    if (size == 0)
        return false;
    std::vector<unsigned char> descriptor(size);
    if (!::GetFileSecurityW(apiPath.c_str(), parts, descriptor.data(), size, &size))
        return false;
    HANDLE processToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &processToken))
        return false;
    const FileHandle ownToken(processToken);
    HANDLE impersonation = nullptr;
    if (!::DuplicateToken(processToken, SecurityImpersonation, &impersonation))
        return false;
    const FileHandle token(impersonation);
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD wanted = FILE_GENERIC_WRITE | DELETE;
    ::MapGenericMask(&wanted, &mapping);
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    return ::AccessCheck(descriptor.data(), impersonation, wanted, &mapping, &privileges, &privilegesSize,
                         &granted, &allowed) &&
           allowed;
}
