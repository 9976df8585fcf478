#pragma once

#include "platform/ShellEntries.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

class HiveRegistry;

// Keeps the file managers' action files in line with the verbs of a hive while the program runs.
//
// Only Thunar needs watching: every other file manager's file is written whether or not it is installed,
// and none of them rewrites it. Thunar's file is written only once Thunar is there, and its "Configure
// custom actions" dialog writes back the list it read when it opened. So the watch is on the config folder
// (for the Thunar folder to appear) and on the Thunar folder (for its uca.xml to be replaced).
class FileManagerSync : public QObject, public ShellEntries
{
    Q_OBJECT

public:
    // configHome stands for $XDG_CONFIG_HOME; procRoot for /proc.
    FileManagerSync(const HiveRegistry& hive, const QString& configHome,
                    const QString& procRoot = QStringLiteral("/proc"));

    void bringInLine() override;
    QStringList runningWithDelayedUpdate() const override;

    // The display names of the file managers that read their entries only when they start (Thunar,
    // PCManFM-Qt) and run under procRoot as the user uid.
    static QStringList runningWithDelayedUpdate(const QString& procRoot, uint uid);

private:
    void folderChanged(const QString& folder);
    void watchThunarFolder();

    const HiveRegistry& m_hive;
    QString m_configHome;
    QString m_thunarFolder;
    QString m_procRoot;
    QFileSystemWatcher m_watcher;
    QTimer m_pending; // gathers the several changes of one save into one sync
};
