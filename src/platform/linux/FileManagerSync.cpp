// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/FileManagerSync.h"

#include "platform/linux/FileManagerActions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <unistd.h>

namespace {

// How long after the last change in a watched folder the files are brought in line.
constexpr int SettleMilliseconds = 300;

} // namespace

FileManagerSync::FileManagerSync(FileManagerActions& actions, const QString& verb,
                                 const ActionCommand& command, const QString& configHome,
                                 const QString& procRoot)
    : m_actions(actions)
    , m_verb(verb)
    , m_command(command)
    , m_configHome(configHome)
    , m_thunarFolder(configHome + QStringLiteral("/Thunar"))
    , m_procRoot(procRoot)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(SettleMilliseconds);
    connect(&m_pending, &QTimer::timeout, this, [this] {
        // Unticked meanwhile: the entries are gone and stay so.
        if (m_actions.has(m_verb))
            m_actions.add(m_verb, m_command);
    });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileManagerSync::folderChanged);
}

void FileManagerSync::bringInLine()
{
    m_actions.add(m_verb, m_command);
    if (!m_configHome.isEmpty() && QFileInfo(m_configHome).isDir() &&
        !m_watcher.directories().contains(m_configHome))
        m_watcher.addPath(m_configHome);
    watchThunarFolder();
}

void FileManagerSync::watchThunarFolder()
{
    if (m_watcher.directories().contains(m_thunarFolder) || !QFileInfo(m_thunarFolder).isDir())
        return;
    m_watcher.addPath(m_thunarFolder);
}

void FileManagerSync::folderChanged(const QString& folder)
{
    if (folder == m_thunarFolder) {
        m_pending.start();
        return;
    }
    // Something changed in the config folder: of interest only when it is a new Thunar folder.
    if (!m_watcher.directories().contains(m_thunarFolder) && QFileInfo(m_thunarFolder).isDir()) {
        watchThunarFolder();
        m_pending.start();
    }
}

std::vector<std::string> FileManagerSync::runningWithDelayedUpdate() const
{
    std::vector<std::string> names;
    for (const QString& name : runningWithDelayedUpdate(m_procRoot, ::getuid()))
        names.push_back(name.toStdString());
    return names;
}

QStringList FileManagerSync::runningWithDelayedUpdate(const QString& procRoot, uint uid)
{
    QSet<QByteArray> names; // the kernel's short process names, at most 15 bytes
    const QStringList processes = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& process : processes) {
        const QString folder = procRoot + QLatin1Char('/') + process;
        if (!process.at(0).isDigit() || QFileInfo(folder).ownerId() != uid)
            continue;
        QFile comm(folder + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))                   // else it ended meanwhile
            names.insert(comm.readAll().trimmed().toLower()); // Xfce starts it as "Thunar --daemon"
    }
    QStringList running;
    if (names.contains("thunar"))
        running.append(QStringLiteral("Thunar"));
    if (names.contains("pcmanfm-qt"))
        running.append(QStringLiteral("PCManFM-Qt"));
    return running;
}

void FileManagerSync::removeOldRecord(const QString& dataHome, const QString& programName)
{
    if (dataHome.isEmpty() || programName.isEmpty())
        return;
    const QString folder = dataHome + QLatin1Char('/') + programName;
    if (QFile::remove(folder + QStringLiteral("/registry.json")))
        QDir().rmdir(folder); // only when empty
}
