// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemoryRegistry.h"

QString MemoryRegistry::pathOf(Key root, const QString& subKey) const
{
    const QString base = root == ClassesRoot ? QString() : m_handles.value(root);
    const QString path = base.isEmpty() ? subKey : base + QLatin1Char('\\') + subKey;
    return path.toLower();
}

long MemoryRegistry::createKey(Key root, const QString& subKey, Key* result)
{
    calls << QStringLiteral("createKey ") + subKey;
    const QStringList parts = pathOf(root, subKey).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path = path.isEmpty() ? part : path + QLatin1Char('\\') + part;
        if (!m_keys.contains(path))
            m_keys.insert(path, QString());
    }
    *result = m_nextHandle++;
    m_handles.insert(*result, path);
    return RegistryStatus::Success;
}

long MemoryRegistry::setValue(Key root, const QString& subKey, int, const QString& data)
{
    calls << QStringLiteral("setValue ") + subKey + QStringLiteral(" = ") + data;
    Key key = NoKey;
    createKey(root, subKey, &key);
    m_keys[m_handles.value(key)] = data;
    m_handles.remove(key);
    return RegistryStatus::Success;
}

long MemoryRegistry::openKey(Key root, const QString& subKey, int, int, Key* result)
{
    calls << QStringLiteral("openKey ") + subKey;
    const QString path = pathOf(root, subKey);
    if (!m_keys.contains(path))
        return RegistryStatus::FileNotFound;
    *result = m_nextHandle++;
    m_handles.insert(*result, path);
    return RegistryStatus::Success;
}

long MemoryRegistry::deleteKey(Key key, const QString& name)
{
    calls << QStringLiteral("deleteKey ") + name;
    if (!m_handles.contains(key))
        return RegistryStatus::InvalidHandle;
    const QString path = (m_handles.value(key) + QLatin1Char('\\') + name).toLower();
    if (!m_keys.contains(path))
        return RegistryStatus::FileNotFound;
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it)
        if (it.key().startsWith(path + QLatin1Char('\\')))
            return RegistryStatus::AccessDenied;
    m_keys.remove(path);
    return RegistryStatus::Success;
}

long MemoryRegistry::closeKey(Key key)
{
    return m_handles.remove(key) ? RegistryStatus::Success : RegistryStatus::InvalidHandle;
}

bool MemoryRegistry::hasKey(const QString& path) const
{
    return m_keys.contains(path.toLower());
}

QString MemoryRegistry::value(const QString& path) const
{
    return m_keys.value(path.toLower());
}
