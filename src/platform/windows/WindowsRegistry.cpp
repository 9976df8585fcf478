// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/WindowsRegistry.h"

#include "platform/NativeText.h"

#include <windows.h>

#include <string>

namespace {

const std::string ClassesKey = "Software\\Classes";

Registry::Key keyOf(HKEY key)
{
    return reinterpret_cast<Registry::Key>(key);
}

HKEY handleOf(Registry::Key key)
{
    return reinterpret_cast<HKEY>(key);
}

} // namespace

// Where a call lands: an open key and the path below it.
struct WindowsRegistry::Place
{
    HKEY base = nullptr;
    std::wstring path;
};

WindowsRegistry::~WindowsRegistry()
{
    for (const Key key : m_open)
        RegCloseKey(handleOf(key));
}

// The classes root is a path below HKEY_CURRENT_USER, any other key a handle given out here and still open.
long WindowsRegistry::place(Key key, const std::string& subKey, Place* result) const
{
    if (key == ClassesRoot) {
        result->base = HKEY_CURRENT_USER;
        result->path = NativeText::toUtf16(subKey.empty() ? ClassesKey : ClassesKey + '\\' + subKey);
    } else if (m_open.contains(key)) {
        result->base = handleOf(key);
        result->path = NativeText::toUtf16(subKey);
    } else {
        return ERROR_INVALID_HANDLE;
    }
    return ERROR_SUCCESS;
}

long WindowsRegistry::createKey(Key root, const std::string& subKey, Key* result)
{
    Place at;
    if (const long status = place(root, subKey, &at); status != ERROR_SUCCESS)
        return status;
    HKEY key = nullptr;
    const long status = RegCreateKeyExW(at.base, at.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        m_open.insert(keyOf(key));
        *result = keyOf(key);
    }
    return status;
}

long WindowsRegistry::setValue(Key root, const std::string& subKey, int type, const std::string& data)
{
    if (type != StringValue)
        return ERROR_INVALID_PARAMETER;
    Place at;
    if (const long status = place(root, subKey, &at); status != ERROR_SUCCESS)
        return status;
    HKEY key = nullptr;
    long status = RegCreateKeyExW(at.base, at.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    const std::wstring text = NativeText::toUtf16(data);
    // The terminating NUL is part of a REG_SZ's data.
    status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status;
}

long WindowsRegistry::openKey(Key root, const std::string& subKey, int options, int access, Key* result)
{
    Place at;
    if (const long status = place(root, subKey, &at); status != ERROR_SUCCESS)
        return status;
    HKEY key = nullptr;
    const long status = RegOpenKeyExW(at.base, at.path.c_str(), static_cast<DWORD>(options),
                                      static_cast<REGSAM>(access), &key);
    if (status == ERROR_SUCCESS) {
        m_open.insert(keyOf(key));
        *result = keyOf(key);
    }
    return status;
}

long WindowsRegistry::deleteKey(Key key, const std::string& name)
{
    // An empty name would delete the key itself, which the interface never asks for.
    if (name.empty())
        return ERROR_INVALID_PARAMETER;
    Place at;
    if (const long status = place(key, name, &at); status != ERROR_SUCCESS)
        return status;
    return RegDeleteKeyW(at.base, at.path.c_str());
}

long WindowsRegistry::closeKey(Key key)
{
    if (key == ClassesRoot)
        return ERROR_SUCCESS;
    if (m_open.erase(key) == 0)
        return ERROR_INVALID_HANDLE;
    return RegCloseKey(handleOf(key));
}
