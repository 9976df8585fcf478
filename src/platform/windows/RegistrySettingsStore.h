// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SettingsStore.h"

#include <string>

// The settings store in the user's registry, where Windows programs of this kind have always kept theirs:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one REG_SZ value per key.
// Options an earlier version of the program stored there carry over.
class RegistrySettingsStore : public SettingsStore
{
public:
    // The stored text; defaultValue when the value or its key is missing, is no text (REG_SZ), cannot be
    // read, or when application or section is no usable key name (empty, or holding a backslash).
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    // Creates the keys that are missing and writes value. False when that failed or a name is unusable.
    bool save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& value) override;

private:
    // The key path of application's section (UTF-16); empty when a name is unusable.
    static std::wstring sectionKey(const std::string& application, const std::string& section);
};
