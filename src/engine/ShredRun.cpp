// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ShredRun.h"

#include <utility>

ShredRun::ShredRun(const std::filesystem::path& path, std::int16_t passes, FileSystem& fileSystem,
                   const FileIdentity& identity, std::function<void()> onFinished)
    : m_path(path)
    , m_passes(passes)
    , m_identity(identity)
    , m_fileSystem(fileSystem)
    , m_onFinished(std::move(onFinished))
{}

ShredRun::~ShredRun()
{
    wait();
}

void ShredRun::start()
{
    if (m_thread.joinable())
        return;
    m_thread = std::thread([this] { run(); });
}

void ShredRun::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

modShredder::ShredResult ShredRun::result() const
{
    if (m_error)
        std::rethrow_exception(m_error);
    return m_result;
}

// The worker thread's whole work. No yield: this thread has no events to let through.
void ShredRun::run()
{
    try {
        m_result = modShredder::ShredFile(m_path, m_passes, m_fileSystem, {}, &m_progress, m_identity);
        // The file stays, to be described afresh: a large one in many pieces takes a while to look at.
        if (!m_result.nameRemoved)
            m_result.storageLeft = m_fileSystem.storageMapOf(m_path);
    } catch (...) {
        m_error = std::current_exception();
    }
    // Where this is the last hold on a removed file (another file was loaded meanwhile), its blocks are
    // freed as it goes, which can take a good part of a second: here, not on the thread that waits.
    m_identity = FileIdentity();
    m_finished.store(true, std::memory_order_release);
    // The object outlives this call: its destructor waits for the thread.
    if (m_onFinished)
        m_onFinished();
}
