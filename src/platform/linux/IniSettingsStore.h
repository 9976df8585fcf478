// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SettingsStore.h"

#include <QString>

// The settings store as one INI file per application under the user's configuration folder:
// <config>/<application>/<application>.conf, each section a [group], every value a text.
class IniSettingsStore : public SettingsStore
{
public:
    // Uses the user's configuration folder (UserFolders::configHome()).
    IniSettingsStore();
    // Uses configFolder instead; for tests and for a non-standard location.
    explicit IniSettingsStore(const QString& configFolder);

    // The stored text; defaultValue when the key is missing, the file is missing, unreadable or
    // damaged, or application is no usable file name. Never creates or changes a file.
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) override;
    // Writes value and checks that it reads back. False when the folder or the file could not be
    // written (or application is no usable file name), and, run as root, when they belong to another user:
    // nothing is written then.
    bool save(const QString& application, const QString& section, const QString& key,
              const QString& value) override;

    // The file that holds application's settings; empty when application is no usable file name.
    QString filePath(const QString& application) const;

private:
    QString m_configFolder;
};
