// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemoryRegistry.h"

#include <algorithm>

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return text;
}

} // namespace

std::string MemoryRegistry::pathOf(Key root, const std::string& subKey) const
{
    std::string base;
    if (root != ClassesRoot) {
        const auto it = m_handles.find(root);
        if (it != m_handles.end())
            base = it->second;
    }
    return lower(base.empty() ? subKey : base + '\\' + subKey);
}

long MemoryRegistry::createKey(Key root, const std::string& subKey, Key* result)
{
    calls.push_back("createKey " + subKey);
    const std::string full = pathOf(root, subKey);
    std::string path;
    // Every key on the way exists afterwards; empty parts (doubled or outer separators) name none.
    for (std::size_t start = 0; start <= full.size();) {
        const std::size_t end = std::min(full.find('\\', start), full.size());
        if (end > start) {
            path += (path.empty() ? "" : "\\") + full.substr(start, end - start);
            m_keys.try_emplace(path);
        }
        start = end + 1;
    }
    *result = m_nextHandle++;
    m_handles[*result] = path;
    return RegistryStatus::Success;
}

long MemoryRegistry::setValue(Key root, const std::string& subKey, int, const std::string& data)
{
    calls.push_back("setValue " + subKey + " = " + data);
    Key key = NoKey;
    createKey(root, subKey, &key);
    m_keys[m_handles[key]] = data;
    m_handles.erase(key);
    return RegistryStatus::Success;
}

long MemoryRegistry::openKey(Key root, const std::string& subKey, int, int, Key* result)
{
    calls.push_back("openKey " + subKey);
    const std::string path = pathOf(root, subKey);
    if (!m_keys.contains(path))
        return RegistryStatus::FileNotFound;
    *result = m_nextHandle++;
    m_handles[*result] = path;
    return RegistryStatus::Success;
}

long MemoryRegistry::deleteKey(Key key, const std::string& name)
{
    calls.push_back("deleteKey " + name);
    const auto handle = m_handles.find(key);
    if (handle == m_handles.end())
        return RegistryStatus::InvalidHandle;
    const std::string path = lower(handle->second + '\\' + name);
    if (!m_keys.contains(path))
        return RegistryStatus::FileNotFound;
    for (const auto& [other, value] : m_keys)
        if (other.starts_with(path + '\\'))
            return RegistryStatus::AccessDenied;
    m_keys.erase(path);
    return RegistryStatus::Success;
}

long MemoryRegistry::closeKey(Key key)
{
    return m_handles.erase(key) ? RegistryStatus::Success : RegistryStatus::InvalidHandle;
}

bool MemoryRegistry::hasKey(const std::string& path) const
{
    return m_keys.contains(lower(path));
}

std::string MemoryRegistry::value(const std::string& path) const
{
    const auto it = m_keys.find(lower(path));
    return it == m_keys.end() ? std::string() : it->second;
}
