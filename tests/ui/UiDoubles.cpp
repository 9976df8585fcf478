// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiDoubles.h"

#include "platform/CoreBridge.h"
#include "platform/NativePath.h"

#include <stdexcept>

namespace {
QString settingsKey(const QString& application, const QString& section, const QString& key)
{
    return application + QLatin1Char('/') + section + QLatin1Char('/') + key;
}

// The application's name is its executable's bytes.
QString settingsKey(const std::string& application, const std::string& section, const std::string& key)
{
    return settingsKey(NativePath::fromNative(QByteArray::fromStdString(application)),
                       QString::fromStdString(section), QString::fromStdString(key));
}
} // namespace

std::string MemorySettingsStore::read(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& defaultValue)
{
    if (throwOnRead)
        throw std::runtime_error("settings store damaged");
    const auto it = m_values.constFind(settingsKey(application, section, key));
    return it == m_values.constEnd() ? defaultValue : it->toStdString();
}

bool MemorySettingsStore::save(const std::string& application, const std::string& section,
                               const std::string& key, const std::string& value)
{
    m_values.insert(settingsKey(application, section, key), QString::fromStdString(value));
    saves << settingsKey(application, section, key) + QLatin1Char('=') + QString::fromStdString(value);
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

std::filesystem::path ScriptedBrowseDialog::exec(const Request& request)
{
    ++shown;
    lastRequest = request;
    return answer.isEmpty() ? std::filesystem::path() : CoreBridge::toPath(answer);
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
