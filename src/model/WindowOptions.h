// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

class Registry;
class SettingsStore;
struct ProgramInfo;

// The window's stored options: the two check boxes and the colour scheme, and the context-menu entry the
// first box stands for. A damaged store never stops the window: what cannot be read counts as unset, what
// cannot be saved lasts while the program runs.
class WindowOptions
{
public:
    // The keys on "&Beenden" that store a colour scheme.
    enum class SchemeKey { Other, SystemFace, White };

    // The verb of the context-menu entry, which the file managers show as its text.
    static constexpr std::string_view ExplorerVerb = "Tilgomatic";

    // The options of program (stored under its executable's name), whose entry goes into registry.
    // rootForOtherUser: started as root on behalf of another user, whose menus are not root's to change.
    WindowOptions(SettingsStore& settings, Registry& registry, const ProgramInfo& program,
                  bool rootForOtherUser);

    // Only the text "1" ticks a box; anything else stored there counts as unticked.
    bool explorerEntry() const;
    bool quitAfterDelete() const;
    void setQuitAfterDelete(bool wanted);

    // Whether the "Explorererweiterung" box may be changed at all: not as root for another user, where the
    // entry would land in root's home and the user's own would stay as it is.
    bool explorerEntryChangeable() const { return !m_rootForOtherUser; }
    // The user set the box to ticked: stores the wish, then writes the entry (ticked) or removes it. Where
    // the box may not be changed, nothing is stored or written. Returns the state the box shows now; it
    // keeps its new state whether or not the entry could be changed.
    bool explorerClicked(bool ticked);

    // The scheme a key stores, by the key's name as the layout writes keys ("F12", "F11").
    static SchemeKey schemeKeyOf(std::string_view key);
    // F12 stores the system's face colour, F11 white; every other key stores nothing.
    void storeScheme(SchemeKey key);
    // The stored colour number's text; nullopt when there is none (a single character counts as none).
    std::optional<std::string> scheme() const;

private:
    std::string read(const char* key, const char* defaultValue) const;
    void save(const char* key, const std::string& value);

    SettingsStore& m_settings;
    Registry& m_registry;
    std::string m_application;
    std::string m_command;
    bool m_rootForOtherUser;
};
