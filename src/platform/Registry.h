// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// A hierarchical key store in the manner of the Windows registry, rooted at HKEY_CLASSES_ROOT.
// Key names compare without regard to case. Every call reports a status; RegistryStatus::Success is 0.
// Key paths are UTF-8 texts; a value's data keeps the native bytes of the program's path it names.
namespace RegistryStatus {
enum : long {
    Success = 0,
    FileNotFound = 2,
    AccessDenied = 5,
    InvalidHandle = 6,
    WriteFault = 29,
};
} // namespace RegistryStatus

class Registry
{
public:
    using Key = std::uintptr_t;
    static constexpr Key NoKey = 0;
    static constexpr Key ClassesRoot = 0x80000000; // HKEY_CLASSES_ROOT
    static constexpr int StringValue = 1;          // REG_SZ
    static constexpr int SetValueAccess = 2;       // KEY_SET_VALUE

    virtual ~Registry() = default;

    // Creates subKey below root and every missing key above it; an existing key is opened.
    virtual long createKey(Key root, const std::string& subKey, Key* result) = 0;
    // Sets the default (unnamed) value of subKey below root, creating the key if it is missing.
    virtual long setValue(Key root, const std::string& subKey, int type, const std::string& data) = 0;
    // Opens an existing key. FileNotFound when it does not exist.
    virtual long openKey(Key root, const std::string& subKey, int options, int access, Key* result) = 0;
    // Deletes the direct subkey name of key; a subkey that has subkeys of its own is not deleted.
    virtual long deleteKey(Key key, const std::string& name) = 0;
    // Releases a key handle.
    virtual long closeKey(Key key) = 0;
};
