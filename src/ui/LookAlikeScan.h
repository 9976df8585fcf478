// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>
#include <thread>

class FileSystem;

// Looks through a command-line target's folder for the files its name may stand for
// (TargetIntake::lookAlikes), on a thread of its own: in a folder of many thousand names that takes
// seconds, and the window must show and answer meanwhile. Only namesIn and longPathName of the file
// system are used off the window's thread.
class LookAlikeScan : public QObject
{
    Q_OBJECT

public:
    explicit LookAlikeScan(FileSystem& fileSystem, QObject* parent = nullptr);
    ~LookAlikeScan() override;

    // Starts looking for path's look-alikes; a scan that still runs is dropped.
    void start(const QString& path);
    // Drops a running scan: its result is never reported.
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // The files that path's name may stand for, path itself among them when it exists, ordered by the
    // names as shown. Reported on the thread the scan was started from.
    void finished(const QString& path, const QStringList& candidates);

private:
    FileSystem& m_fileSystem;
    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    bool m_running = false;
};
