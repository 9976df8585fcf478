// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Per-user text values addressed by application name, section and key; they outlive the program.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the key (or the whole store) is missing or unreadable.
    virtual QString read(const QString& application, const QString& section, const QString& key,
                         const QString& defaultValue) = 0;
    // Stores value for later runs of the same user, creating what is missing. False when it could not
    // be written.
    virtual bool save(const QString& application, const QString& section, const QString& key,
                      const QString& value) = 0;
};
