// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Registry.h"

#include <QHash>
#include <QMap>
#include <QStringList>

// A registry of keys held in memory, enough for the context-menu module: case-insensitive paths below
// HKEY_CLASSES_ROOT, default values, subkeys. Every call is logged. Paths and values are held as NativePath
// keeps a path's bytes.
class MemoryRegistry : public Registry
{
public:
    long createKey(Key root, const std::string& subKey, Key* result) override;
    long setValue(Key root, const std::string& subKey, int type, const std::string& data) override;
    long openKey(Key root, const std::string& subKey, int options, int access, Key* result) override;
    long deleteKey(Key key, const std::string& name) override;
    long closeKey(Key key) override;

    bool hasKey(const QString& path) const;
    QString value(const QString& path) const;

    QStringList calls;

private:
    QString pathOf(Key root, const QString& subKey) const;

    QMap<QString, QString> m_keys; // lower-case path => default value
    QHash<Key, QString> m_handles;
    Key m_nextHandle = 1;
};
