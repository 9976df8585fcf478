// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Registry.h"

#include <set>
#include <string>

// The Windows registry, with HKEY_CLASSES_ROOT taken as the user's own classes
// (HKEY_CURRENT_USER\Software\Classes): a standard user may not write the machine's classes, and Explorer
// merges the user's over them. Key paths and data are UTF-8 and reach the registry as UTF-16. Every
// status is the Win32 error code of the call (ERROR_SUCCESS is RegistryStatus::Success).
class WindowsRegistry : public Registry
{
public:
    WindowsRegistry() = default;
    ~WindowsRegistry() override;
    WindowsRegistry(const WindowsRegistry&) = delete;
    WindowsRegistry& operator=(const WindowsRegistry&) = delete;

    // RegCreateKeyExW with all access. InvalidHandle for a root this registry did not give out.
    long createKey(Key root, const std::string& subKey, Key* result) override;
    // Only REG_SZ: any other type is ERROR_INVALID_PARAMETER, and nothing is written.
    long setValue(Key root, const std::string& subKey, int type, const std::string& data) override;
    long openKey(Key root, const std::string& subKey, int options, int access, Key* result) override;
    // RegDeleteKeyW: a key that has subkeys stays (ERROR_ACCESS_DENIED).
    long deleteKey(Key key, const std::string& name) override;
    long closeKey(Key key) override;

private:
    struct Place;
    long place(Key key, const std::string& subKey, Place* result) const;

    std::set<Key> m_open; // handles given out and not yet closed
};
