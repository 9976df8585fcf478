// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ShellEntries.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include "platform/linux/ActionCommand.h"

class FileManagerActions;

// Keeps one verb's entries in the file managers' menus while the program runs.
//
// Only Thunar needs watching: every other file manager's file is written whether or not it is installed,
// and none of them rewrites it. Thunar's file is written only once Thunar is there, and its "Configure
// custom actions" dialog writes back the list it read when it opened. So the watch is on the config folder
// (for the Thunar folder to appear) and on the Thunar folder (for its uca.xml to be replaced).
class FileManagerSync : public QObject, public ShellEntries
{
    Q_OBJECT

public:
    // The entries of verb start command. configHome stands for $XDG_CONFIG_HOME; procRoot for /proc.
    FileManagerSync(FileManagerActions& actions, const QString& verb, const ActionCommand& command,
                    const QString& configHome, const QString& procRoot = QStringLiteral("/proc"));

    // Writes what is missing or differs of verb's entries (reading our own files, rewriting none that
    // is right), then watches Thunar: a change there brings its entry back while the verb is registered.
    void bringInLine() override;
    std::vector<std::string> runningWithDelayedUpdate() const override;

    // The display names of the file managers that read their entries only when they start (Thunar,
    // PCManFM-Qt) and run under procRoot as the user uid.
    static QStringList runningWithDelayedUpdate(const QString& procRoot, uint uid);

    // Removes <dataHome>/<programName>/registry.json (and its folder when that is then empty), a second
    // record of the entries that installations of older versions still hold: the action files are the
    // only record, and a second one could contradict them.
    static void removeOldRecord(const QString& dataHome, const QString& programName);

private:
    void folderChanged(const QString& folder);
    void watchThunarFolder();

    FileManagerActions& m_actions;
    QString m_verb;
    ActionCommand m_command;
    QString m_configHome;
    QString m_thunarFolder;
    QString m_procRoot;
    QFileSystemWatcher m_watcher;
    QTimer m_pending; // gathers the several changes of one save into one sync
};
