// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/WindowOptions.h"

#include "model/WindowLayout.h"
#include "platform/ProgramInfo.h"
#include "platform/SettingsStore.h"
#include "shell/ExplorerKontext.h"

#include <exception>

namespace {

const char* const Section = "Options";
const char* const ExplorerKey = "ExplorerMnu";
const char* const QuitKey = "QuitAction";
const char* const SchemeKeyName = "BGColor";

} // namespace

WindowOptions::WindowOptions(SettingsStore& settings, Registry& registry, const ProgramInfo& program,
                             bool rootForOtherUser)
    : m_settings(settings)
    , m_registry(registry)
    , m_application(program.executableName)
    , m_command(modExplorerKontext::programCommand(program))
    , m_rootForOtherUser(rootForOtherUser)
{}

bool WindowOptions::explorerEntry() const
{
    return read(ExplorerKey, "0") == "1";
}

bool WindowOptions::quitAfterDelete() const
{
    return read(QuitKey, "0") == "1";
}

bool WindowOptions::explorerClicked(bool ticked)
{
    if (!explorerEntryChangeable())
        return explorerEntry();
    save(ExplorerKey, ticked ? "1" : "0");
    try {
        modExplorerKontext::SetExplorerMenu(m_registry, std::string(ExplorerVerb),
                                            ticked ? m_command : std::string());
    } catch (const std::exception&) {
        // The box and the stored wish keep their new state whether or not the entry could be changed.
    }
    return ticked;
}

void WindowOptions::setQuitAfterDelete(bool wanted)
{
    save(QuitKey, wanted ? "1" : "0");
}

WindowOptions::SchemeKey WindowOptions::schemeKeyOf(std::string_view key)
{
    if (key == "F12")
        return SchemeKey::SystemFace;
    return key == "F11" ? SchemeKey::White : SchemeKey::Other;
}

void WindowOptions::storeScheme(SchemeKey key)
{
    if (key == SchemeKey::SystemFace)
        save(SchemeKeyName, std::string(WindowLayout::SystemFaceScheme));
    else if (key == SchemeKey::White)
        save(SchemeKeyName, std::string(WindowLayout::WhiteScheme));
}

std::optional<std::string> WindowOptions::scheme() const
{
    std::string stored = read(SchemeKeyName, "");
    // Counted in UTF-16 units, as the store's text always was: a character above U+FFFF counts twice.
    std::size_t units = 0;
    for (const char byte : stored) {
        const auto value = static_cast<unsigned char>(byte);
        if ((value & 0xC0U) != 0x80U)
            units += value >= 0xF0U ? 2 : 1;
    }
    if (units <= 1)
        return std::nullopt;
    return stored;
}

std::string WindowOptions::read(const char* key, const char* defaultValue) const
{
    try {
        return m_settings.read(m_application, Section, key, defaultValue);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

void WindowOptions::save(const char* key, const std::string& value)
{
    try {
        m_settings.save(m_application, Section, key, value);
    } catch (const std::exception&) {
        // The option then lasts only while the program runs.
    }
}
