// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Shredder.h"

#include <QObject>
#include <QString>

#include <exception>
#include <thread>

// One ShredFile run on a worker thread of its own, so that the thread that starts it keeps turning its
// event loop through every sweep and sync, however slow the device. The file system is used from the
// worker thread while the run lasts: what it keeps between calls (the names it set aside, say) must be
// guarded against the window's thread using it meanwhile.
class ShredRun : public QObject
{
    Q_OBJECT

public:
    // Only the file identity names is touched, when it is known.
    ShredRun(const QString& path, qint16 passes, FileSystem& fileSystem, QObject* parent = nullptr,
             const FileIdentity& identity = FileIdentity());
    // Waits for a run that is still going: the file is always finished, never abandoned halfway.
    ~ShredRun() override;

    // Starts the run; finished() follows on this object's thread once it has ended.
    void start();
    // Blocks until the run has ended. For the rare caller whose event loop was told to stop meanwhile.
    void wait();

    // The outcome of an ended run. Rethrows the error the run ended with (FileError from the steps before
    // the open, nothing written then).
    modShredder::ShredResult result() const;

    // Where the running run stands; readable at any time.
    const modShredder::ShredProgress& progress() const { return m_progress; }

signals:
    void finished();

private:
    void run();

    const QString m_path;
    const qint16 m_passes;
    const FileIdentity m_identity;
    FileSystem& m_fileSystem;
    modShredder::ShredProgress m_progress;
    modShredder::ShredResult m_result;
    std::exception_ptr m_error;
    // A plain thread: joining it orders the run's writes before the caller's reads in a way the thread
    // checker sees too (Qt's own wait goes through locks it cannot see).
    std::thread m_thread;
};
