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
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    // Writes value and checks that it reads back. False when the folder or the file could not be
    // written (or application is no usable file name), and, run as root, when they belong to another user:
    // nothing is written then.
    bool save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& value) override;

    // The file that holds application's settings (its name as NativePath keeps it); empty when application
    // is no usable file name.
    QString filePath(const QString& application) const;

private:
    QString m_configFolder;
};
