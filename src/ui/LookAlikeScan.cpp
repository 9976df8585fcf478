// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LookAlikeScan.h"

#include "platform/CoreBridge.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "target/TargetIntake.h"

#include <algorithm>

LookAlikeScan::LookAlikeScan(FileSystem& fileSystem, QObject* parent)
    : QObject(parent)
    , m_fileSystem(fileSystem)
{}

LookAlikeScan::~LookAlikeScan()
{
    stop();
}

void LookAlikeScan::start(const QString& path)
{
    stop();
    m_cancelled = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    m_thread = std::thread([this, path, cancelled = m_cancelled] {
        QStringList found = CoreBridge::fromPaths(
            TargetIntake::lookAlikes(CoreBridge::toPath(path), m_fileSystem, cancelled.get()));
        if (cancelled->load())
            return;
        if (!m_fileSystem.longPathName(CoreBridge::toPath(path)).empty())
            found.append(path);
        std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
            return NativePath::displayText(a) < NativePath::displayText(b);
        });
        // Queued to this object: dropped with it when the window goes first.
        QMetaObject::invokeMethod(
            this,
            [this, path, found, cancelled] {
                if (cancelled->load())
                    return;
                if (m_thread.joinable())
                    m_thread.join();
                m_running = false;
                emit finished(path, found);
            },
            Qt::QueuedConnection);
    });
}

void LookAlikeScan::stop()
{
    if (m_cancelled)
        m_cancelled->store(true);
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
}
