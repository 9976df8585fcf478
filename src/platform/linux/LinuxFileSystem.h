#pragma once

#include "platform/FileSystem.h"

#include <QByteArray>
#include <map>
#include <mutex>

// The file operations on Linux, through POSIX calls on the exact bytes of the path (NativePath).
//
// Attribute word: read-only = the owner's write permission is missing, hidden = the name begins with a
// dot, directory = a directory; system and archive have no counterpart and are never reported.
// Attributes are those of the name itself (a symbolic link is never followed), while fileLength follows
// links so that it describes the file a link leads to.
//
// openExclusive takes a write lease on the new descriptor, which fails while any other descriptor of the
// file exists (in any process, ours included), and removes the name before it returns; on FUSE it keeps
// the name and the lease until the close, which removes the name if it still names the file. Where no
// lease can be had, an advisory lock and a look through /proc (OpenHolders) stand in for it.
class LinuxFileSystem : public FileSystem
{
public:
    LinuxFileSystem() = default;

    qint64 fileLength(const QString& path) override;
    int attributes(const QString& path) override;
    void setAttributes(const QString& path, int attributeWord) override;
    OpenResult openExclusive(const QString& path) override;
    bool write(Handle handle, const void* data, qint64 size) override;
    bool seekToStart(Handle handle) override;
    bool sync(Handle handle) override;
    bool close(Handle handle) override;
    QString longPathName(const QString& path) override;
    bool openersMayBeUnseen(const QString& path) override;
    StorageMap storageMap(Handle handle) override;
    StorageMap storageMapOf(const QString& path) override;

    // The outcome an errno value of a failed open stands for.
    static OpenStatus statusForError(int errorNumber);

private:
    // A name that the close is to remove, and the file it must still name then.
    struct KeptName
    {
        QByteArray name;
        quint64 device = 0;
        quint64 inode = 0;
    };
    std::map<Handle, KeptName> m_keptNames;
    // A run may go on in a thread of its own while the window looks at other files.
    std::mutex m_keptNamesLock;
};
