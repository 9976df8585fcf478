#include "platform/linux/FileManagerActions.h"

#include "platform/linux/AtomicFile.h"
#include "platform/linux/UserFolders.h"

#include "platform/linux/ActionCommand.h"
#include "platform/linux/ThunarActions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

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
    QFile file(path);
    return file.permissions() == mode && file.size() == data.size() && file.open(QIODevice::ReadOnly) &&
           file.readAll() == data;
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

struct FileManagerActions::Entry
{
    QString verb;
    QString id;
    ActionCommand command;
};

// One kind of separate action file: where it is named from and what it holds.
struct FileManagerActions::Format
{
    QString suffix; // empty: the file is named after the verb (scripts), else id + suffix
    QFile::Permissions mode;
    QString (*content)(const QString& verb, const QString& id, const ActionCommand& command);

    QString fileName(const Entry& entry) const
    {
        return suffix.isEmpty() ? scriptLabel(entry.verb) : entry.id + suffix;
    }
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

std::unique_ptr<FileManagerActions> FileManagerActions::forUser()
{
    return std::make_unique<FileManagerActions>(UserFolders::dataHome(), UserFolders::configHome());
}

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

bool FileManagerActions::sync(const QList<Verb>& verbs)
{
    QList<Entry> entries;
    QSet<QString> ids;
    for (const Verb& verb : verbs) {
        ActionCommand command = ActionCommand::parse(verb.command);
        const QString id = fileId(verb.name);
        if (!command.isValid() || id.isEmpty() || ids.contains(id))
            continue; // nothing to start, or a second spelling of a verb already taken
        ids.insert(id);
        entries.append(Entry{verb.name, id, std::move(command)});
    }

    static const Format dolphin{QStringLiteral(".desktop"), executableMode, dolphinContent};
    static const Format nemo{QStringLiteral(".nemo_action"), plainMode, nemoContent};
    static const Format pcmanfm{QStringLiteral(".desktop"), plainMode, pcmanfmContent};
    static const Format script{QString(), executableMode, scriptContent};

    bool ok = true;
    if (!m_dataHome.isEmpty()) {
        ok = syncFolder(m_dataHome + QStringLiteral("/kio/servicemenus"), dolphin, entries) && ok;
        ok = syncFolder(m_dataHome + QStringLiteral("/nautilus/scripts"), script, entries) && ok;
        ok = syncFolder(m_dataHome + QStringLiteral("/nemo/actions"), nemo, entries) && ok;
        ok = syncFolder(m_dataHome + QStringLiteral("/file-manager/actions"), pcmanfm, entries) && ok;
    }
    if (!m_configHome.isEmpty()) {
        ok = syncFolder(m_configHome + QStringLiteral("/caja/scripts"), script, entries) && ok;
        ok = syncThunar(entries) && ok;
    }
    return ok;
}

bool FileManagerActions::syncFolder(const QString& folder, const Format& format, const QList<Entry>& entries)
{
    QSet<QString> wanted;
    for (const Entry& entry : entries)
        wanted.insert(format.fileName(entry));

    bool ok = true;
    const QDir dir(folder);
    if (dir.exists()) {
        const QStringList names = dir.entryList(QDir::Files | QDir::System);
        for (const QString& name : names) {
            if (!name.endsWith(format.suffix) || wanted.contains(name))
                continue;
            const QString path = dir.filePath(name);
            if (isOurs(path) && !QFile::remove(path)) {
                qWarning("Cannot remove %s", qUtf8Printable(path));
                ok = false;
            }
        }
    }
    if (entries.isEmpty())
        return ok;

    for (const Entry& entry : entries) {
        const QString path = dir.filePath(format.fileName(entry));
        const QFileInfo existing(path);
        if ((existing.exists() || existing.isSymLink()) && !isOurs(path)) {
            qWarning("%s belongs to another program; left as it is", qUtf8Printable(path));
            ok = false;
            continue;
        }
        const QByteArray content = format.content(entry.verb, entry.id, entry.command).toUtf8();
        if (!holds(path, content, format.mode))
            ok = AtomicFile::write(path, content, format.mode) && ok;
    }
    return ok;
}

bool FileManagerActions::thunarPresent() const
{
    return QFileInfo(m_configHome + QStringLiteral("/Thunar")).isDir() ||
           (m_thunarInstalled && m_thunarInstalled());
}

bool FileManagerActions::syncThunar(const QList<Entry>& entries)
{
    if (!thunarPresent())
        return true;

    QList<ThunarActions::Action> actions;
    for (const Entry& entry : entries) {
        actions.append(ThunarActions::Action{ThunarActions::idPrefix() + entry.id, entry.verb,
                                             entry.command.thunarCommand(), entry.verb, icon});
    }

    const QString folder = m_configHome + QStringLiteral("/Thunar");
    const QString path = folder + QStringLiteral("/uca.xml");
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
        if (actions.isEmpty())
            return true; // nothing of ours can be in a file that does not exist
        QFile shipped(m_thunarSystemFile);
        source = shipped.open(QIODevice::ReadOnly) ? shipped.readAll() : ThunarActions::emptyDocument();
    }

    std::optional<ThunarActions::Merged> merged = ThunarActions::merge(source, actions);
    if (!merged) {
        if (userHasFile) {
            // Rewriting a file we cannot read would throw away the user's own actions.
            qWarning("%s is not a readable action list; left as it is", qUtf8Printable(path));
            return false;
        }
        merged = ThunarActions::merge(ThunarActions::emptyDocument(), actions);
    }
    if (!merged->hadOurs && actions.isEmpty())
        return true;

    if (userHasFile && merged->xml == source)
        return true;
    const QFile::Permissions mode = userHasFile ? QFile::permissions(path) : plainMode;
    return AtomicFile::write(path, merged->xml, mode);
}

namespace {

QString dolphinContent(const QString& verb, const QString& id, const ActionCommand& command)
{
    return FileManagerActions::markerLine() + QStringLiteral("\n[Desktop Entry]\n"
                                                             "Type=Service\n"
                                                             "MimeType=all/allfiles;\n"
                                                             "Actions=%1;\n"
                                                             "X-KDE-Priority=TopLevel\n"
                                                             "\n"
                                                             "[Desktop Action %1]\n"
                                                             "Name=%2\n"
                                                             "Icon=%3\n"
                                                             "Exec=%4\n")
                                                  .arg(id, keyValue(verb), icon, keyValue(command.kioExec()));
}

QString nemoContent(const QString& verb, const QString& /*id*/, const ActionCommand& command)
{
    return FileManagerActions::markerLine() + QStringLiteral("\n[Nemo Action]\n"
                                                             "Name=%1\n"
                                                             "Exec=%2\n"
                                                             "Icon-Name=%3\n"
                                                             "Selection=s\n"
                                                             "Extensions=nodirs;\n")
                                                  .arg(keyValue(verb), keyValue(command.nemoExec()), icon);
}

QString pcmanfmContent(const QString& verb, const QString& /*id*/, const ActionCommand& command)
{
    return FileManagerActions::markerLine() +
           QStringLiteral("\n[Desktop Entry]\n"
                          "Type=Action\n"
                          "Name=%1\n"
                          "Icon=%2\n"
                          "Profiles=main;\n"
                          "\n"
                          "[X-Action-Profile main]\n"
                          "MimeTypes=all/allfiles;\n"
                          "Exec=%3\n")
               .arg(keyValue(verb), icon, keyValue(command.desktopExec(QStringLiteral("%f"))));
}

// The program takes one file a start, so each selected file gets a start of its own, all at once as the
// shell's own entry does it. The names come as arguments, exact even with line breaks in them (the
// NAUTILUS_/CAJA_SCRIPT_SELECTED_FILE_PATHS lists are not), and relative to the folder the script runs
// in, which the program resolves. Folders are offered scripts too; they cannot be destroyed, so they are
// passed over. The script lasts as long as its starts, as the single exec before it did.
QString scriptContent(const QString& /*verb*/, const QString& /*id*/, const ActionCommand& command)
{
    return QStringLiteral("#!/bin/sh\n") + FileManagerActions::markerLine() +
           QStringLiteral("\nfor file do\n"
                          "\tif [ ! -d \"$file\" ]; then\n"
                          "\t\t%1 &\n"
                          "\tfi\n"
                          "done\n"
                          "wait\n")
               .arg(command.scriptCommand(QStringLiteral("file")));
}

} // namespace
