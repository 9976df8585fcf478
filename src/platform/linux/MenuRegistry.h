// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Registry.h"

#include <QHash>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>

class FileManagerActions;

// The registry as the file managers' menus themselves. Setting the value of "*\shell\<verb>\command"
// puts the verb into every file manager's right-click menu; deleting that key takes it out again. The
// action files are the only record: a verb key exists while its entries do, "*" and "*\shell" always,
// and other keys hold nothing (creating one succeeds and keeps nothing, a value there is refused).
// Key names compare without regard to case.
//
// Only the program given at construction can be registered: a command value must start with its exact
// path, followed by its arguments, "%1" standing for the chosen file.
class MenuRegistry : public Registry
{
public:
    MenuRegistry(FileManagerActions& actions, const std::filesystem::path& program);

    // Success (the handle names the key, kept or not), or InvalidHandle for an unknown root.
    long createKey(Key root, const std::string& subKey, Key* result) override;
    // Success, AccessDenied for a value the menus cannot show (another key, another program, another
    // type), WriteFault when an entry could not be written; InvalidHandle for an unknown root.
    long setValue(Key root, const std::string& subKey, int type, const std::string& data) override;
    // Success for a key that exists, FileNotFound otherwise; InvalidHandle for an unknown root.
    long openKey(Key root, const std::string& subKey, int options, int access, Key* result) override;
    // Deleting a verb's command key removes its entries: Success, FileNotFound when it has none,
    // WriteFault when one could not be removed. A verb key goes with its entries: FileNotFound once they
    // are gone, AccessDenied while they are there. Every other key: FileNotFound.
    long deleteKey(Key key, const std::string& name) override;
    long closeKey(Key key) override;

private:
    // The verb of a path "*\shell\<verb>" (depth 3) or "*\shell\<verb>\command" (depth 4), else empty.
    static QString verbOf(const QStringList& path, int depth);
    std::optional<QStringList> pathOf(Key root, const QString& subKey) const;
    bool exists(const QStringList& path) const;
    Key open(const QStringList& path);

    FileManagerActions& m_actions;
    QString m_program;
    QHash<Key, QStringList> m_handles;
    Key m_nextHandle = 1;
};
