// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// Per-user text values addressed by application name, section and key; they outlive the program.
// application is the executable's name as its native bytes (the store may name a file by it); section, key
// and the values are UTF-8 texts.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the key (or the whole store) is missing or unreadable.
    virtual std::string read(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& defaultValue) = 0;
    // Stores value for later runs of the same user, creating what is missing. False when it could not
    // be written.
    virtual bool save(const std::string& application, const std::string& section, const std::string& key,
                      const std::string& value) = 0;
};
