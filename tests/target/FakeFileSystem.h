#pragma once

#include "platform/FileSystem.h"

#include <QFileInfo>
#include <QStringList>

// A file system that answers the long-form lookup from the real disk (the path itself when something
// exists there) and records what it was asked; every other operation is outside these tests and fails.
class FakeFileSystem : public FileSystem
{
public:
    QStringList lookedUp; // every path handed to longPathName, in order

    QString longPathName(const QString& path) override
    {
        lookedUp.append(path);
        return QFileInfo::exists(path) ? path : QString();
    }

    qint64 fileLength(const QString&) override { return -1; }
    int attributes(const QString&) override { return -1; }
    void setAttributes(const QString&, int) override {}
    OpenResult openExclusive(const QString&) override { return {}; }
    bool write(Handle, const void*, qint64) override { return false; }
    bool seekToStart(Handle) override { return false; }
    bool sync(Handle) override { return false; }
    bool close(Handle) override { return false; }
};
