// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemoryRegistry.h"

#include "platform/NativePath.h"

namespace {

QString held(const std::string& bytes)
{
    return NativePath::fromNative(QByteArray::fromStdString(bytes));
}

} // namespace

QString MemoryRegistry::pathOf(Key root, const QString& subKey) const
{
    const QString base = root == ClassesRoot ? QString() : m_handles.value(root);
    const QString path = base.isEmpty() ? subKey : base + QLatin1Char('\\') + subKey;
    return path.toLower();
}

long MemoryRegistry::createKey(Key root, const std::string& subKeyBytes, Key* result)
{
    const QString subKey = held(subKeyBytes);
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

long MemoryRegistry::setValue(Key root, const std::string& subKey, int, const std::string& data)
{
    calls << QStringLiteral("setValue ") + held(subKey) + QStringLiteral(" = ") + held(data);
    Key key = NoKey;
    createKey(root, subKey, &key);
    m_keys[m_handles.value(key)] = held(data);
    m_handles.remove(key);
    return RegistryStatus::Success;
}

long MemoryRegistry::openKey(Key root, const std::string& subKeyBytes, int, int, Key* result)
{
    const QString subKey = held(subKeyBytes);
    calls << QStringLiteral("openKey ") + subKey;
    const QString path = pathOf(root, subKey);
    if (!m_keys.contains(path))
        return RegistryStatus::FileNotFound;
    *result = m_nextHandle++;
    m_handles.insert(*result, path);
    return RegistryStatus::Success;
}

long MemoryRegistry::deleteKey(Key key, const std::string& nameBytes)
{
    const QString name = held(nameBytes);
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
