#pragma once

#include "platform/Registry.h"

#include <QHash>
#include <QStringList>

#include <memory>
#include <optional>

class FileManagerActions;
struct HiveNode; // one key of the hive, held only while an operation runs

// The registry as a per-user hive file (JSON), rooted at HKEY_CLASSES_ROOT. Every operation reads the
// file afresh, since another instance of the program may have changed it, and every change writes it
// back atomically (QSaveFile), so a crash never leaves it half written. A missing or damaged file counts
// as an empty hive.
//
// Key names compare without regard to case and keep the spelling of their creation. Handles are opaque
// numbers naming a key by its path; a handle whose key has gone finds nothing (FileNotFound).
//
// After every change below "*\shell" that can alter which verbs have a command (a value set, a key with a
// value deleted), the file managers' action files are brought in line with those verbs, so that the
// registered verb appears in their right-click menus.
class HiveRegistry : public Registry
{
public:
    // actions may be null: then only the hive is kept.
    HiveRegistry(const QString& hivePath, FileManagerActions* actions);
    ~HiveRegistry() override;

    // The hive of programName in the user's data folder (UserFolders::dataHome(), then
    // <programName>/registry.json), keeping the user's file managers in line.
    static std::unique_ptr<HiveRegistry> forUser(const QString& programName);

    // Success, or InvalidHandle for an unknown root, FileNotFound when root's key has gone, WriteFault
    // when the hive could not be written. A null result creates the key without handing out a handle.
    long createKey(Key root, const QString& subKey, Key* result) override;
    // Sets the default value (of the given type) of subKey, creating the key; statuses as createKey.
    long setValue(Key root, const QString& subKey, int type, const QString& data) override;
    // Success and a handle, FileNotFound for a missing key, InvalidHandle for an unknown root.
    long openKey(Key root, const QString& subKey, int options, int access, Key* result) override;
    // Deletes the subkey name (a path below key is allowed) when it has no subkeys of its own:
    // Success, FileNotFound when it is missing, AccessDenied when it still has subkeys or name is
    // empty, InvalidHandle for an unknown key, WriteFault when the hive could not be written.
    long deleteKey(Key key, const QString& name) override;
    // Success, or InvalidHandle for a handle that is not open. Closing ClassesRoot is allowed.
    long closeKey(Key key) override;

    // Reading back, for whoever wants to look at the hive (the program itself never does).
    // The default value of the key at path below HKEY_CLASSES_ROOT; nullopt when the key is missing or
    // has no default value.
    std::optional<QString> defaultValue(const QString& path) const;
    // The names of the direct subkeys of path, in the spelling of their creation; empty when missing.
    QStringList subKeys(const QString& path) const;
    // Whether the key at path exists.
    bool keyExists(const QString& path) const;

    const QString& hivePath() const { return m_hivePath; }

    // Brings the file managers' action files in line with the verbs the hive holds now, without changing
    // the hive: for entries that a file manager (or its settings dialog) rewrote, or one that came later.
    // True when every file could be written or removed as wanted.
    bool syncFileManagers() const;

private:
    // damaged, when given, tells whether a file was there that could not be read as a hive.
    HiveNode load(bool* damaged = nullptr) const;
    bool save(const HiveNode& root) const;
    // The path of the key behind handle (empty for ClassesRoot); nullopt for an unknown handle.
    std::optional<QStringList> handlePath(Key handle) const;
    Key openHandle(const QStringList& path);
    // The loaded hive with subKey below root's key found or created in it (nothing saved yet).
    struct Reach;
    // Fills into; Success, InvalidHandle for an unknown root, FileNotFound when root's key has gone.
    long reach(Key root, const QString& subKey, Reach& into) const;
    // Tells the file managers about the verbs when path lies below "*\shell".
    void afterChange(const HiveNode& root, const QStringList& path);
    bool syncFileManagers(const HiveNode& root) const;

    QString m_hivePath;
    FileManagerActions* m_actions;
    std::unique_ptr<FileManagerActions> m_ownedActions;
    QHash<Key, QStringList> m_handles;
    Key m_nextHandle = 1;
};
