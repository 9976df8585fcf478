// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/FileManagerActions.h"

#include "platform/NativePath.h"
#include "platform/linux/ActionCommand.h"
#include "platform/linux/AtomicFile.h"
#include "platform/linux/ThunarActions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString icon = QStringLiteral("edit-delete");

constexpr QFile::Permissions plainMode =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther; // 0644
// Dolphin refuses to run a service menu that is not executable; the scripts are programs.
constexpr QFile::Permissions executableMode = plainMode | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

QString keyValue(const QString& value)
{
    return ActionCommand::escapeKeyFileValue(value);
}

// True when path already holds exactly data with mode: rewriting it would only disturb whoever watches
// the folder (the program's own resync among them).
bool holds(const QString& path, const QByteArray& data, QFile::Permissions mode)
{
    // Qt adds the bits of the running user to those of owner, group and others: compare only these.
    constexpr QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QFile file(path);
    return (file.permissions() & ~userBits) == mode && file.size() == data.size() &&
           file.open(QIODevice::ReadOnly) && file.readAll() == data;
}

// True when path is a regular file (not a link) that carries our marker line near its start.
bool isOurs(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.read(4096).split('\n');
    return lines.contains(FileManagerActions::markerLine().toUtf8());
}

// Whether a key file can name the program: not where its path holds bytes that are no UTF-8, and a near
// name would hide an entry that works.
bool nameable(const ActionCommand& command)
{
    return command.textOnly().program() == command.program();
}

// The key line that hides an entry once its program is gone (TryExec, Nemo's Dependencies), naming the
// exact path; a list value also escapes its separator.
QString programCheck(const QString& key, const ActionCommand& command, bool list)
{
    if (!nameable(command))
        return QString();
    QString value = keyValue(command.program());
    if (list)
        value.replace(QLatin1Char(';'), QStringLiteral("\\;")).append(QLatin1Char(';'));
    return key + QLatin1Char('=') + value + QLatin1Char('\n');
}

// PCManFM hides an action whose TryExec is a path, even one that exists, and passes over ShowIfTrue;
// PCManFM-Qt follows ShowIfTrue, a command (with field codes) whose output "true" shows the action.
QString showIfProgram(const ActionCommand& command)
{
    if (!nameable(command))
        return QString();
    const QString test = QStringLiteral("/bin/sh -c 'test -x \"$0\" && echo true' ") +
                         ActionCommand::shellQuote(command.program());
    return QStringLiteral("ShowIfTrue=") +
           keyValue(QString(test).replace(QLatin1Char('%'), QStringLiteral("%%"))) + QLatin1Char('\n');
}

// The menu label of a script is its file name; it must stay one visible name inside the folder.
QString scriptLabel(const QString& verb)
{
    QString label = verb;
    label.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QChar(0), QLatin1Char('_'));
    if (label.startsWith(QLatin1Char('.')))
        label.prepend(QLatin1Char('_'));
    return label;
}

} // namespace

// One kind of separate action file: where it is named from and what it holds.
struct FileManagerActions::Format
{
    QString suffix; // empty: the file is named after the verb (scripts), else id + suffix
    QFile::Permissions mode;
    QString (*content)(const QString& verb, const QString& id, const ActionCommand& command);
};

namespace {

QString dolphinContent(const QString& verb, const QString& id, const ActionCommand& command);
QString nemoContent(const QString& verb, const QString& id, const ActionCommand& command);
QString pcmanfmContent(const QString& verb, const QString& id, const ActionCommand& command);
QString scriptContent(const QString& verb, const QString& id, const ActionCommand& command);

} // namespace

FileManagerActions::FileManagerActions(const QString& dataHome, const QString& configHome)
    : m_dataHome(dataHome)
    , m_configHome(configHome)
    , m_thunarSystemFile(QStringLiteral("/etc/xdg/Thunar/uca.xml"))
    , m_thunarInstalled([] { return !QStandardPaths::findExecutable(QStringLiteral("thunar")).isEmpty(); })
{}

QString FileManagerActions::markerLine()
{
    return QStringLiteral("# Tilgomatic context-menu entry: written and removed by Tilgomatic");
}

QString FileManagerActions::fileId(const QString& verb)
{
    QString id;
    for (const char byte : verb.toLower().toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')
            id += QLatin1Char(static_cast<char>(c));
        else
            id += QStringLiteral("_%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    }
    return id;
}

QList<std::pair<QString, const FileManagerActions::Format*>>
FileManagerActions::separateFiles(const QString& verb) const
{
    static const Format dolphin{QStringLiteral(".desktop"), executableMode, dolphinContent};
    static const Format nemo{QStringLiteral(".nemo_action"), plainMode, nemoContent};
    static const Format pcmanfm{QStringLiteral(".desktop"), plainMode, pcmanfmContent};
    static const Format script{QString(), executableMode, scriptContent};

    const QString id = fileId(verb);
    QList<std::pair<QString, const Format*>> files;
    if (id.isEmpty())
        return files;
    if (!m_dataHome.isEmpty()) {
        files.append({m_dataHome + QStringLiteral("/kio/servicemenus/") + id + dolphin.suffix, &dolphin});
        files.append({m_dataHome + QStringLiteral("/nautilus/scripts/") + scriptLabel(verb), &script});
        files.append({m_dataHome + QStringLiteral("/nemo/actions/") + id + nemo.suffix, &nemo});
        files.append({m_dataHome + QStringLiteral("/file-manager/actions/") + id + pcmanfm.suffix, &pcmanfm});
    }
    if (!m_configHome.isEmpty())
        files.append({m_configHome + QStringLiteral("/caja/scripts/") + scriptLabel(verb), &script});
    return files;
}

bool FileManagerActions::add(const QString& verb, const ActionCommand& command)
{
    const QString id = fileId(verb);
    if (id.isEmpty())
        return false;
    bool ok = true;
    for (const auto& [path, format] : separateFiles(verb)) {
        const QFileInfo existing(path);
        if ((existing.exists() || existing.isSymLink()) && !isOurs(path)) {
            qWarning("%s belongs to another program; left as it is", qUtf8Printable(path));
            ok = false;
            continue;
        }
        const QByteArray content = NativePath::toNative(format->content(verb, id, command));
        if (!holds(path, content, format->mode))
            ok = AtomicFile::write(path, content, format->mode) && ok;
    }
    return mergeThunar(verb, &command) && ok;
}

bool FileManagerActions::remove(const QString& verb)
{
    bool ok = true;
    for (const auto& [path, format] : separateFiles(verb)) {
        if (isOurs(path) && !QFile::remove(path)) {
            qWarning("Cannot remove %s", qUtf8Printable(path));
            ok = false;
        }
    }
    return mergeThunar(verb, nullptr) && ok;
}

bool FileManagerActions::has(const QString& verb) const
{
    const auto files = separateFiles(verb);
    return std::any_of(files.cbegin(), files.cend(), [](const auto& file) { return isOurs(file.first); });
}

bool FileManagerActions::thunarPresent() const
{
    return QFileInfo(m_configHome + QStringLiteral("/Thunar")).isDir() ||
           (m_thunarInstalled && m_thunarInstalled());
}

bool FileManagerActions::mergeThunar(const QString& verb, const ActionCommand* command)
{
    if (m_configHome.isEmpty() || fileId(verb).isEmpty() || !thunarPresent())
        return true;

    const QString uniqueId = ThunarActions::idPrefix() + fileId(verb);
    std::optional<ThunarActions::Action> action;
    if (command)
        action = ThunarActions::Action{uniqueId, verb, command->textOnly().thunarCommand(), verb, icon};

    const QString path = m_configHome + QStringLiteral("/Thunar/uca.xml");
    const QFileInfo info(path);
    const bool userHasFile = info.exists() || info.isSymLink();

    QByteArray source;
    if (userHasFile) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("Cannot read %s", qUtf8Printable(path));
            return false;
        }
        source = file.readAll();
    } else {
        if (!action)
            return true; // nothing of ours can be in a file that does not exist
        QFile shipped(m_thunarSystemFile);
        source = shipped.open(QIODevice::ReadOnly) ? shipped.readAll() : ThunarActions::emptyDocument();
    }

    std::optional<ThunarActions::Merged> merged = ThunarActions::merge(source, uniqueId, action);
    if (!merged) {
        if (userHasFile) {
            // Rewriting a file we cannot read would throw away the user's own actions.
            qWarning("%s is not a readable action list; left as it is", qUtf8Printable(path));
            return false;
        }
        merged = ThunarActions::merge(ThunarActions::emptyDocument(), uniqueId, action);
    }
    if ((!merged->hadIt && !action) || (userHasFile && merged->xml == source))
        return true;
    const QFile::Permissions mode = userHasFile ? QFile::permissions(path) : plainMode;
    return AtomicFile::write(path, merged->xml, mode);
}

namespace {

QString dolphinContent(const QString& verb, const QString& id, const ActionCommand& command)
{
    return FileManagerActions::markerLine() +
           QStringLiteral("\n[Desktop Entry]\n"
                          "Type=Service\n"
                          "MimeType=all/allfiles;\n"
                          "Actions=%1;\n"
                          "X-KDE-Priority=TopLevel\n"
                          "%5"
                          "\n"
                          "[Desktop Action %1]\n"
                          "Name=%2\n"
                          "Icon=%3\n"
                          "Exec=%4\n")
               .arg(id, keyValue(verb), icon, keyValue(command.textOnly().kioExec()),
                    programCheck(QStringLiteral("TryExec"), command, false));
}

QString nemoContent(const QString& verb, const QString& /*id*/, const ActionCommand& command)
{
    return FileManagerActions::markerLine() +
           QStringLiteral("\n[Nemo Action]\n"
                          "Name=%1\n"
                          "Exec=%2\n"
                          "Icon-Name=%3\n"
                          "Selection=s\n"
                          "Extensions=nodirs;\n"
                          "%4")
               .arg(keyValue(verb), keyValue(command.textOnly().nemoExec()), icon,
                    programCheck(QStringLiteral("Dependencies"), command, true));
}

// PCManFM fills "%f" with the first selected file and starts once, so a second selected file would be
// dropped without a word; PCManFM-Qt starts once per file. Both get every file through "%F" and a start
// for each, as Dolphin, Nautilus and Caja do.
QString pcmanfmContent(const QString& verb, const QString& /*id*/, const ActionCommand& command)
{
    return FileManagerActions::markerLine() +
           QStringLiteral("\n[Desktop Entry]\n"
                          "Type=Action\n"
                          "Name=%1\n"
                          "Icon=%2\n"
                          "Profiles=main;\n"
                          "%4"
                          "\n"
                          "[X-Action-Profile main]\n"
                          "MimeTypes=all/allfiles;\n"
                          "Exec=%3\n")
               .arg(keyValue(verb), icon, keyValue(command.textOnly().desktopExecEach(QStringLiteral("%F"))),
                    showIfProgram(command));
}

// The program takes one file a start, so each selected file gets a start of its own, all at once as the
// shell's own entry does it. The names come as arguments, exact even with line breaks in them (the
// NAUTILUS_/CAJA_SCRIPT_SELECTED_FILE_PATHS lists are not), and relative to the folder the script runs
// in; the script makes them absolute, since the program drops the entry's "1%" only before an absolute
// path (a relative "1% foo" is a name of its own). Folders are offered scripts too; they cannot be destroyed,
// so they are passed over. The script lasts as long as its starts, as the single exec before it did.
//
// A script outlives a removed package (no package may touch a home), and neither file manager shows what
// a failing script says: without its program it tells the user in a notification, or on standard error
// where there is none, which file to delete, and fails.
QString scriptContent(const QString& verb, const QString& /*id*/, const ActionCommand& command)
{
    const QString before = QStringLiteral("Der Eintrag „%1“ im Kontextmenü hat kein Programm mehr. "
                                          "Entfernen Sie ihn, indem Sie diese Datei löschen: ")
                               .arg(verb);
    return QStringLiteral("#!/bin/sh\n") + FileManagerActions::markerLine() +
           QStringLiteral("\nif [ ! -x %1 ]; then\n"
                          "\ttitle=%2\n"
                          "\ttext=%3\"$0\"\n"
                          "\tnotify-send -a Tilgomatic -i dialog-error \"$title\" \"$text\" 2>/dev/null ||\n"
                          "\t\tprintf '%s: %s\\n' \"$title\" \"$text\" >&2\n"
                          "\texit 127\n"
                          "fi\n"
                          "for file do\n"
                          "\tif [ ! -d \"$file\" ]; then\n"
                          "\t\tcase $file in /*) ;; *) file=$PWD/$file ;; esac\n"
                          "\t\t%4 &\n"
                          "\tfi\n"
                          "done\n"
                          "wait\n")
               .arg(ActionCommand::shellQuote(command.program()),
                    ActionCommand::shellQuote(QStringLiteral("Tilgomatic ist nicht mehr installiert")),
                    ActionCommand::shellQuote(before), command.scriptCommand(QStringLiteral("file")));
}

} // namespace
