#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

// One stretch of a file's bytes and where the file system says they lie on its device.
struct StorageExtent
{
    // The extent flags as the kernel's extent map reports them (the same values).
    enum Flag : quint32 {
        Last = 0x1,
        Unknown = 0x2,    // the location is not known yet
        Delalloc = 0x4,   // not yet placed on the device
        Encoded = 0x8,    // compressed or otherwise transformed
        Encrypted = 0x80, // encrypted by the file system
        NotAligned = 0x100,
        Inline = 0x200,    // stored inside the file system's own records
        Tail = 0x400,      // packed together with other files' tails
        Unwritten = 0x800, // allocated, holds no data yet
        Merged = 0x1000,
        Shared = 0x2000, // the same blocks belong to another file or a snapshot too
    };

    quint64 logical = 0;  // offset in the file
    quint64 physical = 0; // offset on the device
    quint64 length = 0;
    quint32 flags = 0;
};

// Where an open file's data lives, read without writing anything: the extents of its data, the type and
// mount options of its file system and how many other names the file has.
struct StorageMap
{
    // Inode flags of interest (the values of the kernel's file attribute flags).
    enum InodeFlag : quint32 {
        JournalData = 0x00004000,   // ext3/ext4: this file's data goes through the journal
        NoCopyOnWrite = 0x00800000, // Btrfs: this file is written in place
    };

    bool known = false;         // the file and its file system could be looked at at all
    quint64 fileSystemType = 0; // statfs f_type
    QString typeName;           // the mount's type as the mount table names it ("ext4", "fuseblk")
    QStringList mountOptions;   // the mount's own and its file system's options ("data=journal")
    bool extentsKnown = false;  // the file system gave an extent map
    std::vector<StorageExtent> extents;
    qint64 size = 0;        // the file's length
    quint64 otherNames = 0; // hard links besides the name being destroyed
    quint32 inodeFlags = 0;
};
