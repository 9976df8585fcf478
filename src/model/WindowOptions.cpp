// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/WindowOptions.h"

#include "model/CoreText.h"
#include "model/WindowLayout.h"
#include "platform/SettingsStore.h"

#include <exception>
#include <utility>

namespace {

const char* const Section = "Options";
const char* const ExplorerKey = "ExplorerMnu";
const char* const QuitKey = "QuitAction";
const char* const SchemeKeyName = "BGColor";

} // namespace

WindowOptions::WindowOptions(SettingsStore& settings, std::string application)
    : m_settings(settings)
    , m_application(std::move(application))
{}

bool WindowOptions::explorerEntry() const
{
    return read(ExplorerKey, "0") == "1";
}

bool WindowOptions::quitAfterDelete() const
{
    return read(QuitKey, "0") == "1";
}

void WindowOptions::setExplorerEntry(bool wanted)
{
    save(ExplorerKey, wanted ? "1" : "0");
}

void WindowOptions::setQuitAfterDelete(bool wanted)
{
    save(QuitKey, wanted ? "1" : "0");
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
    // Counted in characters, as the store holds text.
    if (QString::fromStdString(stored).size() <= 1)
        return std::nullopt;
    return stored;
}

std::string WindowOptions::read(const char* key, const char* defaultValue) const
{
    try {
        return CoreText::toStd(m_settings.read(
            NativePath::fromNative(QByteArray::fromStdString(m_application)), QString::fromLatin1(Section),
            QString::fromLatin1(key), QString::fromLatin1(defaultValue)));
    } catch (const std::exception&) {
        return defaultValue;
    }
}

void WindowOptions::save(const char* key, const std::string& value)
{
    try {
        m_settings.save(NativePath::fromNative(QByteArray::fromStdString(m_application)),
                        QString::fromLatin1(Section), QString::fromLatin1(key),
                        QString::fromStdString(value));
    } catch (const std::exception&) {
        // The option then lasts only while the program runs.
    }
}
