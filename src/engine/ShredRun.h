// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Shredder.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <thread>

// One ShredFile run on a worker thread of its own, so that the thread that starts it keeps turning its
// event loop through every sweep and sync, however slow the device. The file system is used from the
// worker thread while the run lasts: what it keeps between calls (the names it set aside, say) must be
// guarded against the window's thread using it meanwhile.
class ShredRun
{
public:
    // Only the file identity names is touched, when it is known. onFinished, when given, is called on the
    // worker thread once the run has ended; a window hands it on to its own thread.
    ShredRun(const std::filesystem::path& path, std::int16_t passes, FileSystem& fileSystem,
             const FileIdentity& identity = FileIdentity(), std::function<void()> onFinished = {});
    // Waits for a run that is still going: the file is always finished, never abandoned halfway.
    ~ShredRun();
    ShredRun(const ShredRun&) = delete;
    ShredRun& operator=(const ShredRun&) = delete;

    // Starts the run.
    void start();
    // Blocks until the run has ended.
    void wait();
    // True once the run has ended; readable at any time.
    bool finished() const { return m_finished.load(std::memory_order_acquire); }

    // The outcome of an ended run (call wait() first). Rethrows the error the run ended with (FileError
    // from the steps before the open, nothing written then).
    modShredder::ShredResult result() const;

    // Where the running run stands; readable at any time.
    const modShredder::ShredProgress& progress() const { return m_progress; }

private:
    void run();

    const std::filesystem::path m_path;
    const std::int16_t m_passes;
    FileIdentity m_identity; // let go of on the worker thread once the run has ended
    FileSystem& m_fileSystem;
    const std::function<void()> m_onFinished;
    modShredder::ShredProgress m_progress;
    modShredder::ShredResult m_result;
    std::exception_ptr m_error;
    std::atomic<bool> m_finished{false};
    // A plain thread: joining it orders the run's writes before the caller's reads in a way the thread
    // checker sees too.
    std::thread m_thread;
};
