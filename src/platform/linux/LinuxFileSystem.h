// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <QByteArray>
#include <functional>
#include <map>
#include <mutex>
#include <unistd.h>
#include <utility>

// The file operations on Linux, through POSIX calls on the exact bytes of the path.
//
// Attribute word: read-only = the owner's write permission is missing, hidden = the name begins with a
// dot, directory = a directory; system and archive have no counterpart and are never reported.
// Attributes are those of the name itself (a symbolic link is never followed), while fileLength follows
// links so that it describes the file a link leads to.
//
// identify keeps the file itself (an O_PATH descriptor, which reads and writes nothing) with the identity:
// while it is loaded its inode cannot be freed, so no file made later can get its number. openExclusive
// reopens that very inode (through /proc/self/fd) rather than the name, and checks that the name still
// names it; modes are read and changed through it too.
//
// openExclusive opens the file relative to its folder, held open as a descriptor, and takes a write lease
// on the new descriptor, which fails while any other descriptor of the file exists (in any process, ours
// included). It keeps the name, the folder and the lease until removeName (or the close): the lease holds
// off other openers for the kernel's lease-break time (/proc/sys/fs/lease-break-time, 45 s by default)
// each. Where no lease can be had, an advisory lock and a look through /proc (OpenHolders) stand in for it.
//
// The name is removed in a private folder: a fresh `.tilgomatic-<16 hex digits>` beside the file (mode 0700,
// held open and locked while a run uses it), into which the name is moved under a neutral one, checked and
// removed, and the folder after it. Nobody else can put a file under a name in there. On Btrfs, whose syncs
// write the file's name into new metadata each time, the name moves there before the sweeps, so that they
// repeat only the neutral one. A run killed with its file in such a folder leaves it to finishLeftovers.
// Ignores SIGXFSZ for the whole program, so that a file-size limit fails a write instead of ending it.
class LinuxFileSystem : public FileSystem
{
public:
    LinuxFileSystem();

    using FileSystem::openExclusive;

    std::int64_t fileLength(const Path& path) override;
    int attributes(const Path& path) override;
    void setAttributes(const Path& path, int attributeWord) override;
    int heldAttributes(const Path& path, const FileIdentity& identity) override;
    void setHeldAttributes(const Path& path, const FileIdentity& identity, int attributeWord) override;
    RunOutlook outlook(const FileIdentity& identity) override;
    OpenResult openExclusive(const Path& path, const FileIdentity& expected) override;
    FileIdentity identify(const Path& path) override;
    bool isSameFile(const Path& path, const FileIdentity& identity) override;
    std::vector<Path> namesIn(const Path& folder) override;
    std::optional<Time> modifiedTime(const Path& path) override;
    bool removeName(Handle handle) override;
    bool write(Handle handle, const void* data, std::int64_t size) override;
    bool seekToStart(Handle handle) override;
    bool sync(Handle handle) override;
    bool close(Handle handle) override;
    Path longPathName(const Path& path) override;
    bool openersMayBeUnseen(const Path& path) override;
    StorageMap storageMap(Handle handle) override;
    StorageMap storageMapOf(const Path& path) override;
    LeftoverReport finishLeftovers(const Path& folder) override;

    // The outcome an errno value of a failed open stands for.
    static OpenStatus statusForError(int errorNumber);

    // For tests: runs in removeName between the look that finds the name naming the file held and the
    // removal, the moment at which another program could put a different file under the name.
    void setBeforeNameRemoval(std::function<void()> hook) { m_beforeNameRemoval = std::move(hook); }
    // For tests: runs in removeName once the name is in the private folder, before it is removed there.
    void setAfterNameAside(std::function<void()> hook) { m_afterNameAside = std::move(hook); }
    // For tests: moves the name aside before the sweeps on every file system, as on Btrfs.
    void setNameAsideForSweeps(bool always) { m_nameAsideForSweeps = always; }

private:
    // An owned descriptor, closed with its scope unless released.
    struct Descriptor
    {
        int fd = -1;
        ~Descriptor()
        {
            if (fd >= 0)
                ::close(fd);
        }
        int release() { return std::exchange(fd, -1); }
    };
    // Where a path's name lives: its folder, held open, and the name in it.
    struct Location
    {
        Descriptor folder;
        QByteArray folderPath;
        QByteArray name;
    };
    static int locate(const Path& path, Location& at, const FileIdentity& expected);
    static int lookUp(const Path& path, const FileIdentity& expected, Location& at, struct stat& named);

    // The name of an open file that removeName is to remove, and the file it must still name then.
    struct KeptName
    {
        int folder = -1;
        QByteArray name;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool leased = false;
        // The private folder (held open and locked, -1 until made), its name, and the neutral name the
        // file has in there (empty while it is still under its own).
        int privateFolder = -1;
        QByteArray privateName;
        QByteArray aside;
    };
    static bool moveAside(KeptName& kept, const char* neutral);
    static void putBack(KeptName& kept);
    bool removeKeptName(KeptName& kept);
    void forget(Handle handle, std::map<Handle, KeptName>::iterator kept);
    std::function<void()> m_beforeNameRemoval;
    std::function<void()> m_afterNameAside;
    bool m_nameAsideForSweeps = false;
    std::map<Handle, KeptName> m_keptNames;
    // Private folders of removed names that are emptied only by the close (folder, private folder, its name).
    std::map<Handle, KeptName> m_emptiedAtClose;
    // A run may go on in a thread of its own while the window looks at other files.
    std::mutex m_keptNamesLock;
};
