// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SettingsStore.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// Settings kept in a map by key alone (one program, one section).
class MapSettings : public SettingsStore
{
public:
    std::string read(const std::string&, const std::string&, const std::string& key,
                     const std::string& defaultValue) override
    {
        if (throwOnRead)
            throw std::runtime_error("damaged");
        const auto found = values.find(key);
        return found == values.end() ? defaultValue : found->second;
    }
    bool save(const std::string&, const std::string&, const std::string& key,
              const std::string& value) override
    {
        values[key] = value;
        saves.push_back(key + '=' + value);
        return true;
    }
    std::map<std::string, std::string> values;
    std::vector<std::string> saves;
    bool throwOnRead = false; // a damaged store
};
