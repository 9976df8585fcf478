#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

// The per-user action files through which Linux file managers put an entry into the right-click menu of
// every file: Dolphin service menus, Nautilus and Caja scripts, Nemo actions, Thunar's uca.xml and the
// PCManFM (-Qt) actions. sync() brings them in line with the verbs registered under "*\shell".
//
// Only files this program wrote are ever replaced or removed: the separate files carry a marker line,
// Thunar actions a unique-id with ThunarActions::idPrefix(). A file of the same name that lacks the
// marker belongs to someone else and is left as it is.
class FileManagerActions
{
public:
    struct Verb
    {
        QString name;    // the verb's key name, also the text of the menu entry
        QString command; // the default value of its command key, e.g. "/opt/x/tilgomatic 1% %1"
    };

    // dataHome and configHome stand for $XDG_DATA_HOME and $XDG_CONFIG_HOME. An empty folder switches
    // off the file managers that live below it.
    FileManagerActions(const QString& dataHome, const QString& configHome);

    // The user's folders (UserFolders).
    static std::unique_ptr<FileManagerActions> forUser();

    // Where Thunar's shipped actions lie (default /etc/xdg/Thunar/uca.xml); a user without uca.xml
    // starts from a copy, else Thunar's default actions would vanish.
    void setThunarSystemFile(const QString& path) { m_thunarSystemFile = path; }
    // Whether thunar is installed (default: found on PATH). uca.xml is written only where Thunar is used:
    // this says so, or the folder $XDG_CONFIG_HOME/Thunar exists.
    void setThunarInstalled(std::function<bool()> installed) { m_thunarInstalled = std::move(installed); }

    // Makes every verb that has a usable command appear in each file manager's menu and removes our
    // entries of every other verb. Goes on after a failure. True when every file could be written or
    // removed as wanted.
    bool sync(const QList<Verb>& verbs);

    // The marker line that makes a separate action file recognisably ours.
    static QString markerLine();
    // A file-name-safe id for verb: lower case ASCII letters, digits and '-' stay, every other byte of
    // its UTF-8 form becomes '_' and two hex digits, so distinct verbs keep distinct ids.
    static QString fileId(const QString& verb);

private:
    struct Entry;
    struct Format;

    bool syncFolder(const QString& folder, const Format& format, const QList<Entry>& entries);
    bool syncThunar(const QList<Entry>& entries);
    bool thunarPresent() const;

    QString m_dataHome;
    QString m_configHome;
    QString m_thunarSystemFile;
    std::function<bool()> m_thunarInstalled;
};
