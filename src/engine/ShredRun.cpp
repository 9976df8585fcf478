// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ShredRun.h"

ShredRun::ShredRun(const QString& path, qint16 passes, FileSystem& fileSystem, QObject* parent,
                   const FileIdentity& identity)
    : QObject(parent)
    , m_path(path)
    , m_passes(passes)
    , m_identity(identity)
    , m_fileSystem(fileSystem)
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
    } catch (...) {
        m_error = std::current_exception();
    }
    // Queued to this object's thread; dropped if the object is gone by then.
    QMetaObject::invokeMethod(this, &ShredRun::finished, Qt::QueuedConnection);
}
