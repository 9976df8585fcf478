// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/RegistrySettingsStore.h"

#include "platform/NativeText.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace {

const std::string BaseKey = "Software\\VB and VBA Program Settings";

// A name of one key: an empty one or a path of several would land on another key.
bool usableName(const std::string& name)
{
    return !name.empty() && name.find('\\') == std::string::npos;
}

} // namespace

std::wstring RegistrySettingsStore::sectionKey(const std::string& application, const std::string& section)
{
    if (!usableName(application) || !usableName(section))
        return {};
    return NativeText::toUtf16(BaseKey + '\\' + application + '\\' + section);
}

std::string RegistrySettingsStore::read(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& defaultValue)
{
    const std::wstring path = sectionKey(application, section);
    if (path.empty())
        return defaultValue;
    const std::wstring name = NativeText::toUtf16(key);
    // The value may change between asking its size and reading it: ask again while it grows.
    std::vector<wchar_t> buffer(64);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const long status = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                         nullptr, buffer.data(), &bytes);
        if (status == ERROR_SUCCESS) {
            // bytes counts the terminating NUL, which RegGetValueW guarantees.
            const std::size_t length = bytes / sizeof(wchar_t);
            return NativeText::fromUtf16(std::wstring_view(buffer.data(), length > 0 ? length - 1 : 0));
        }
        if (status != ERROR_MORE_DATA)
            return defaultValue;
        buffer.resize(bytes / sizeof(wchar_t) + 1);
    }
    return defaultValue;
}

bool RegistrySettingsStore::save(const std::string& application, const std::string& section,
                                 const std::string& key, const std::string& value)
{
    const std::wstring path = sectionKey(application, section);
    if (path.empty())
        return false;
    HKEY sectionHandle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &sectionHandle, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring name = NativeText::toUtf16(key);
    const std::wstring text = NativeText::toUtf16(value);
    const long status =
        RegSetValueExW(sectionHandle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(sectionHandle);
    return status == ERROR_SUCCESS;
}
