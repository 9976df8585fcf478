// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiDoubles.h"

#include <stdexcept>

namespace {
QString settingsKey(const QString& application, const QString& section, const QString& key)
{
    return application + QLatin1Char('/') + section + QLatin1Char('/') + key;
}
} // namespace

QString MemorySettingsStore::read(const QString& application, const QString& section, const QString& key,
                                  const QString& defaultValue)
{
    if (throwOnRead)
        throw std::runtime_error("settings store damaged");
    return m_values.value(settingsKey(application, section, key), defaultValue);
}

bool MemorySettingsStore::save(const QString& application, const QString& section, const QString& key,
                               const QString& value)
{
    m_values.insert(settingsKey(application, section, key), value);
    saves << settingsKey(application, section, key) + QLatin1Char('=') + value;
    return true;
}

void MemorySettingsStore::preset(const QString& application, const QString& key, const QString& value)
{
    m_values.insert(settingsKey(application, QStringLiteral("Options"), key), value);
}

QString MemorySettingsStore::stored(const QString& application, const QString& key) const
{
    return m_values.value(settingsKey(application, QStringLiteral("Options"), key));
}

QString ScriptedBrowseDialog::exec(const Request& request)
{
    ++shown;
    lastRequest = request;
    return answer;
}

int HookedFileSystem::attributes(const Path& path)
{
    if (attributeWord)
        return *attributeWord;
    return m_inner.attributes(path);
}

void HookedFileSystem::setAttributes(const Path& path, int attributeWord)
{
    m_inner.setAttributes(path, attributeWord);
}

FileSystem::OpenResult HookedFileSystem::openExclusive(const Path& path, const FileIdentity& expected)
{
    ++opens;
    return m_inner.openExclusive(path, expected);
}

bool HookedFileSystem::write(Handle handle, const void* data, std::int64_t size)
{
    const int number = ++writes;
    if (onWrite)
        onWrite(number);
    return m_inner.write(handle, data, size);
}
