// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

class SettingsStore;

// The window's stored options: the two check boxes and the colour scheme. A damaged store never stops the
// window: what cannot be read counts as unset, what cannot be saved lasts while the program runs.
class WindowOptions
{
public:
    // The keys on "&Beenden" that store a colour scheme.
    enum class SchemeKey { Other, SystemFace, White };

    // application: the program's executable name as its native bytes (the store's file is named by it).
    WindowOptions(SettingsStore& settings, std::string application);

    // Only the text "1" ticks a box; anything else stored there counts as unticked.
    bool explorerEntry() const;
    bool quitAfterDelete() const;
    void setExplorerEntry(bool wanted);
    void setQuitAfterDelete(bool wanted);

    // F12 stores the system's face colour, F11 white; every other key stores nothing.
    void storeScheme(SchemeKey key);
    // The stored colour number's text; nullopt when there is none (a single character counts as none).
    std::optional<std::string> scheme() const;

private:
    std::string read(const char* key, const char* defaultValue) const;
    void save(const char* key, const std::string& value);

    SettingsStore& m_settings;
    std::string m_application;
};
