// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <functional>

class ActionCommand;

// The per-user action files through which Linux file managers put an entry into the right-click menu of
// every file: Dolphin service menus, Nautilus and Caja scripts, Nemo actions, Thunar's uca.xml and the
// PCManFM (-Qt) actions. These files are the only record of a verb: nothing else is kept.
//
// Only files this program wrote are ever replaced or removed: the separate files carry a marker line,
// Thunar actions a unique-id with ThunarActions::idPrefix(). A file of the same name that lacks the
// marker belongs to someone else and is left as it is. A file that already holds what it should is not
// written again, so folder watchers see no change.
class FileManagerActions
{
public:
    // dataHome and configHome stand for $XDG_DATA_HOME and $XDG_CONFIG_HOME. An empty folder switches
    // off the file managers that live below it.
    FileManagerActions(const QString& dataHome, const QString& configHome);

    // Where Thunar's shipped actions lie (default /etc/xdg/Thunar/uca.xml); a user without uca.xml
    // starts from a copy, else Thunar's default actions would vanish.
    void setThunarSystemFile(const QString& path) { m_thunarSystemFile = path; }
    // Whether thunar is installed (default: found on PATH). uca.xml is written only where Thunar is used:
    // this says so, or the folder $XDG_CONFIG_HOME/Thunar exists.
    void setThunarInstalled(std::function<bool()> installed) { m_thunarInstalled = std::move(installed); }

    // Puts verb's entry, starting command, into each file manager's menu. Goes on after a failure; true
    // when every file holds the entry.
    bool add(const QString& verb, const ActionCommand& command);
    // Removes our entries of verb. True when none is left.
    bool remove(const QString& verb);
    // Whether one of our separate files for verb is there, i.e. the verb is registered.
    bool has(const QString& verb) const;

    // The marker line that makes a separate action file recognisably ours.
    static QString markerLine();
    // A file-name-safe id for verb: lower case ASCII letters, digits and '-' stay, every other byte of
    // its UTF-8 form becomes '_' and two hex digits, so distinct verbs keep distinct ids.
    static QString fileId(const QString& verb);

private:
    struct Format;
    // The separate file of each file manager for verb, with its format.
    QList<std::pair<QString, const Format*>> separateFiles(const QString& verb) const;
    // Writes Thunar's list with verb's action starting command, or without verb's action when command is
    // null. True when the list holds what it should (or Thunar is not used).
    bool mergeThunar(const QString& verb, const ActionCommand* command);
    bool thunarPresent() const;

    QString m_dataHome;
    QString m_configHome;
    QString m_thunarSystemFile;
    std::function<bool()> m_thunarInstalled;
};
