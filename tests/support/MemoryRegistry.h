// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Registry.h"

#include <map>
#include <string>
#include <vector>

// A registry of keys held in memory, enough for the context-menu module: case-insensitive paths below
// HKEY_CLASSES_ROOT (ASCII letters fold, as in every key the program writes), default values, subkeys.
// Every call is logged. Paths and values are held as the bytes they were given.
class MemoryRegistry : public Registry
{
public:
    long createKey(Key root, const std::string& subKey, Key* result) override;
    long setValue(Key root, const std::string& subKey, int type, const std::string& data) override;
    long openKey(Key root, const std::string& subKey, int options, int access, Key* result) override;
    long deleteKey(Key key, const std::string& name) override;
    long closeKey(Key key) override;

    bool hasKey(const std::string& path) const;
    std::string value(const std::string& path) const;

    std::vector<std::string> calls;

private:
    std::string pathOf(Key root, const std::string& subKey) const;

    std::map<std::string, std::string> m_keys; // lower-case path => default value
    std::map<Key, std::string> m_handles;
    Key m_nextHandle = 1;
};
