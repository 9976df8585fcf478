// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/ShellEntries.h"
#include "platform/gui/BrowseDialog.h"
#include "support/MemoryRegistry.h"
#include "support/RecordingFileSystem.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Settings kept in memory; every save is logged as "application/section/key=value".
class MemorySettingsStore : public SettingsStore
{
public:
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    bool save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& value) override;

    // Stores a value without logging it, as an earlier run would have left it.
    void preset(const QString& application, const QString& key, const QString& value);
    QString stored(const QString& application, const QString& key) const;

    QStringList saves;
    bool throwOnRead = false; // a damaged store whose reads fail with an exception

private:
    QMap<QString, QString> m_values;
};

// File-manager entries that count how often they were brought in line and report the running ones given.
struct RecordingShellEntries : ShellEntries
{
    void bringInLine() override { ++broughtInLine; }
    std::vector<std::string> runningWithDelayedUpdate() const override { return running; }
    int broughtInLine = 0;
    std::vector<std::string> running;
};

// A browse dialog that never shows: it records the request and gives back a prepared answer.
class ScriptedBrowseDialog : public BrowseDialog
{
public:
    std::filesystem::path exec(const Request& request) override;
    QString answer; // the path as NativePath keeps it; empty: cancel
    std::optional<Request> lastRequest;
    int shown = 0;
};

// Passes every call on to another file system, with hooks: a fixed attribute word, and a callback before
// each write (which runs on the run's worker thread).
class HookedFileSystem : public FileSystem
{
public:
    explicit HookedFileSystem(FileSystem& inner)
        : m_inner(inner)
    {}

    std::int64_t fileLength(const Path& path) override { return m_inner.fileLength(path); }
    int attributes(const Path& path) override;
    void setAttributes(const Path& path, int attributeWord) override;
    using FileSystem::openExclusive;
    OpenResult openExclusive(const Path& path, const FileIdentity& expected) override;
    FileIdentity identify(const Path& path) override { return m_inner.identify(path); }
    bool isSameFile(const Path& path, const FileIdentity& identity) override
    {
        return m_inner.isSameFile(path, identity);
    }
    std::vector<Path> namesIn(const Path& folder) override { return m_inner.namesIn(folder); }
    RunOutlook outlook(const FileIdentity& identity) override { return m_inner.outlook(identity); }
    bool removeName(Handle handle) override { return m_inner.removeName(handle); }
    bool write(Handle handle, const void* data, std::int64_t size) override;
    bool seekToStart(Handle handle) override { return m_inner.seekToStart(handle); }
    bool sync(Handle handle) override { return m_inner.sync(handle) && !failSyncs; }
    bool close(Handle handle) override { return m_inner.close(handle); }
    Path longPathName(const Path& path) override { return m_inner.longPathName(path); }
    std::optional<Time> modifiedTime(const Path& path) override { return m_inner.modifiedTime(path); }
    StorageMap storageMap(Handle) override { return storage; }
    StorageMap storageMapOf(const Path&) override { return storage; }

    std::optional<int> attributeWord;             // answered instead of the real attributes
    std::function<void(int writeNumber)> onWrite; // called before each write, numbered from 1
    bool failSyncs = false;                       // every sync reports failure
    // Answered for every storage map, so that the outcome does not depend on the test machine's disk.
    StorageMap storage = RecordingFileSystem::inPlaceStorage();
    // Counted on each run's worker thread: one run's counts are read by the next run's thread.
    std::atomic<int> opens{0};
    std::atomic<int> writes{0};

private:
    FileSystem& m_inner;
};
