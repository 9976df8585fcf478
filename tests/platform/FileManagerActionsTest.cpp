#include "platform/linux/FileManagerActions.h"
#include "platform/linux/ActionCommand.h"
#include "platform/linux/FileManagerSync.h"
#include "platform/linux/HiveRegistry.h"
#include "platform/linux/ThunarActions.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

namespace {

const QString marker = FileManagerActions::markerLine();

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data, QFile::Permissions mode = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(data);
    file.close();
    if (mode)
        file.setPermissions(mode);
}

// The permission bits as the kernel holds them (tests run as root, so trying to execute proves nothing).
unsigned modeOf(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

constexpr QFile::Permissions executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther;

// A program that records the arguments of each start, each followed by a NUL, in a file of its own in
// the folder $TILGO_STUB_RECORD.
void writeStub(const QString& path)
{
    writeFile(path,
              "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$TILGO_STUB_RECORD/$$\"\n",
              executable);
}

// Runs program with arguments and returns the arguments of every start of the stub, in sorted order.
QList<QStringList> runAndRecord(const QString& program, const QStringList& arguments,
                                const QString& recordFolder, const QString& workingFolder = QString())
{
    QDir(recordFolder).removeRecursively();
    QDir().mkpath(recordFolder);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TILGO_STUB_RECORD"), recordFolder);
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QList<QStringList> starts;
    for (const QString& name : QDir(recordFolder).entryList(QDir::Files)) {
        starts.append(QString::fromUtf8(readFile(recordFolder + QLatin1Char('/') + name)).split(QChar(0)));
        starts.last().removeLast(); // after the last terminator
    }
    std::sort(starts.begin(), starts.end());
    return starts;
}

// The value of key in [group] of a key file, with the key file's string escapes undone.
QString keyFileValue(const QString& content, const QString& group, const QString& key)
{
    QString current;
    for (const QString& line : content.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            current = line.mid(1, line.size() - 2);
        else if (current == group && line.startsWith(key + QLatin1Char('='))) {
            const QString raw = line.mid(key.size() + 1);
            QString value;
            for (qsizetype i = 0; i < raw.size(); ++i) {
                if (raw.at(i) != QLatin1Char('\\') || i + 1 == raw.size()) {
                    value += raw.at(i);
                    continue;
                }
                const QChar next = raw.at(++i);
                if (next == QLatin1Char('s'))
                    value += QLatin1Char(' ');
                else if (next == QLatin1Char('n'))
                    value += QLatin1Char('\n');
                else if (next == QLatin1Char('t'))
                    value += QLatin1Char('\t');
                else if (next == QLatin1Char('r'))
                    value += QLatin1Char('\r');
                else if (next == QLatin1Char('\\'))
                    value += QLatin1Char('\\');
                else
                    ADD_FAILURE() << "unknown key-file escape \\" << QString(next).toStdString();
            }
            return value;
        }
    }
    ADD_FAILURE() << "no " << key.toStdString() << " in [" << group.toStdString() << "]";
    return QString();
}

// Splits a desktop-entry Exec value into arguments the way the desktop-entry rules describe it: blanks
// separate, double quotes group (inside them a backslash escapes '"', '`', '$' and '\'), reserved
// characters must not stand unquoted, an unquoted "%f" becomes file, "%%" becomes "%".
QStringList desktopExecArguments(const QString& exec, const QString& file)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    struct Word
    {
        QString text;
        bool quoted = false;
    };
    QList<Word> words;
    Word word;
    bool inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == QLatin1Char(' ')) {
            if (inWord)
                words.append(word);
            word = Word();
            inWord = false;
        } else if (c == QLatin1Char('"')) {
            inWord = true;
            word.quoted = true;
            for (++i; i < exec.size() && exec.at(i) != QLatin1Char('"'); ++i) {
                if (exec.at(i) == QLatin1Char('\\') && i + 1 < exec.size() &&
                    QStringLiteral("\"`$\\").contains(exec.at(i + 1)))
                    ++i;
                word.text += exec.at(i);
            }
            if (i >= exec.size())
                ADD_FAILURE() << "unterminated quote in " << exec.toStdString();
        } else {
            if (reserved.contains(c))
                ADD_FAILURE() << "reserved character outside quotes in " << exec.toStdString();
            inWord = true;
            word.text += c;
        }
    }
    if (inWord)
        words.append(word);

    QStringList arguments;
    for (const Word& w : words) {
        if (!w.quoted && w.text == QStringLiteral("%f")) {
            arguments.append(file);
            continue;
        }
        QString argument;
        for (qsizetype i = 0; i < w.text.size(); ++i) {
            if (w.text.at(i) == QLatin1Char('%')) {
                if (i + 1 < w.text.size() && w.text.at(i + 1) == QLatin1Char('%'))
                    ++i;
                else
                    ADD_FAILURE() << "stray field code in " << exec.toStdString();
            }
            argument += w.text.at(i);
        }
        arguments.append(argument);
    }
    return arguments;
}

// The program KIO looks for before it starts a service menu: the first word of Exec, quotes undone but
// field codes not, that holds no "=" (leading words with one are taken as variable settings).
QString kioProgram(const QString& exec)
{
    const QStringList words =
        desktopExecArguments(QString(exec).replace(QLatin1Char('%'), QStringLiteral("%%")), {});
    return *std::find_if(words.cbegin(), words.cend(),
                         [](const QString& w) { return !w.contains(QLatin1Char('=')); });
}

// Splits a line as GLib's g_shell_parse_argv does (Nemo runs its line this way, without a shell).
QStringList shellWords(const QString& line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('\'')) {
            inWord = true;
            for (++i; i < line.size() && line.at(i) != QLatin1Char('\''); ++i)
                word += line.at(i);
        } else if (c == QLatin1Char('"')) {
            inWord = true;
            for (++i; i < line.size() && line.at(i) != QLatin1Char('"'); ++i) {
                if (line.at(i) == QLatin1Char('\\') && i + 1 < line.size() &&
                    QStringLiteral("\"`$\\").contains(line.at(i + 1)))
                    ++i;
                word += line.at(i);
            }
        } else if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            inWord = true;
            word += line.at(++i);
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

QString shellQuoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

// Nemo's expansion: it looks at the first '%' only; "%F" becomes the quoted path, "%%" a '%', and at any
// other code it stops expanding altogether.
QString nemoExpand(const QString& exec, const QString& file)
{
    QString result = exec;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = result.indexOf(QLatin1Char('%'), from);
        if (at < 0 || at + 1 >= result.size())
            break;
        QString insertion;
        if (result.at(at + 1) == QLatin1Char('F'))
            insertion = shellQuoted(file);
        else if (result.at(at + 1) == QLatin1Char('%'))
            insertion = QStringLiteral("%");
        else
            break;
        result.replace(at, 2, insertion);
        from = at + insertion.size();
    }
    return result;
}

// Thunar's expansion: "%f" becomes the shell-quoted path, "%%" a '%', any other code vanishes.
QString thunarExpand(const QString& command, const QString& file)
{
    QString result;
    for (qsizetype i = 0; i < command.size(); ++i) {
        if (command.at(i) != QLatin1Char('%') || i + 1 == command.size()) {
            result += command.at(i);
            continue;
        }
        const QChar code = command.at(++i);
        if (code == QLatin1Char('f'))
            result += shellQuoted(file);
        else if (code == QLatin1Char('%'))
            result += QLatin1Char('%');
    }
    return result;
}

struct ThunarEntry
{
    QString uniqueId;
    QString name;
    QString command;
};

// The actions of a uca.xml, as Thunar reads them.
QList<ThunarEntry> thunarEntries(const QString& path)
{
    QList<ThunarEntry> entries;
    QXmlStreamReader reader(readFile(path));
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QStringLiteral("action"))
            entries.append(ThunarEntry());
        else if (reader.isStartElement() && !entries.isEmpty()) {
            const QString name = reader.name().toString();
            if (name == QStringLiteral("unique-id"))
                entries.last().uniqueId = reader.readElementText();
            else if (name == QStringLiteral("name"))
                entries.last().name = reader.readElementText();
            else if (name == QStringLiteral("command"))
                entries.last().command = reader.readElementText();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return entries;
}

class FileManagerActionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        dataHome = temp.filePath(QStringLiteral("data"));
        configHome = temp.filePath(QStringLiteral("config"));
        systemUca = temp.filePath(QStringLiteral("etc/uca.xml"));
    }

    std::unique_ptr<FileManagerActions> actions(bool thunarInstalled = false)
    {
        auto result = std::make_unique<FileManagerActions>(dataHome, configHome);
        result->setThunarSystemFile(systemUca);
        result->setThunarInstalled([thunarInstalled] { return thunarInstalled; });
        return result;
    }

    QString dolphin(const QString& id = QStringLiteral("tilgomatic")) const
    {
        return dataHome + QStringLiteral("/kio/servicemenus/") + id + QStringLiteral(".desktop");
    }
    QString nautilus(const QString& label = QStringLiteral("Tilgomatic")) const
    {
        return dataHome + QStringLiteral("/nautilus/scripts/") + label;
    }
    QString nemo(const QString& id = QStringLiteral("tilgomatic")) const
    {
        return dataHome + QStringLiteral("/nemo/actions/") + id + QStringLiteral(".nemo_action");
    }
    QString pcmanfm(const QString& id = QStringLiteral("tilgomatic")) const
    {
        return dataHome + QStringLiteral("/file-manager/actions/") + id + QStringLiteral(".desktop");
    }
    QString caja(const QString& label = QStringLiteral("Tilgomatic")) const
    {
        return configHome + QStringLiteral("/caja/scripts/") + label;
    }
    QString uca() const { return configHome + QStringLiteral("/Thunar/uca.xml"); }
    QStringList separateFiles(const QString& id, const QString& label) const
    {
        return {dolphin(id), nautilus(label), nemo(id), pcmanfm(id), caja(label)};
    }

    QTemporaryDir temp;
    QString dataHome;
    QString configHome;
    QString systemUca;
};

const FileManagerActions::Verb plainVerb{QStringLiteral("Tilgomatic"),
                                         QStringLiteral("/opt/tilgomatic/tilgomatic 1% %1")};

} // namespace

// ---- Taking the registry's command apart ----

TEST(ActionCommandTest, ProgramIsTheLongestExistingPrefixSoFoldersWithBlanksWork)
{
    QTemporaryDir temp;
    const QString folder = temp.filePath(QStringLiteral("my tools"));
    writeFile(folder + QStringLiteral("/prog 2"), "", executable);
    writeFile(folder + QStringLiteral("/prog"), "", executable); // a shorter prefix that also exists

    const ActionCommand command = ActionCommand::parse(folder + QStringLiteral("/prog 2 1% %1"));
    ASSERT_TRUE(command.isValid());
    EXPECT_EQ(command.program(), folder + QStringLiteral("/prog 2"));
    ASSERT_EQ(command.arguments().size(), 2);
    EXPECT_EQ(command.arguments().at(0).text, QStringLiteral("1%"));
    EXPECT_FALSE(command.arguments().at(0).isFile);
    EXPECT_TRUE(command.arguments().at(1).isFile);
}

TEST(ActionCommandTest, WithoutAnExistingPrefixTheFirstWordIsTheProgram)
{
    const ActionCommand command = ActionCommand::parse(QStringLiteral("/no/such folder/prog 1% %1"));
    EXPECT_EQ(command.program(), QStringLiteral("/no/such"));
    ASSERT_EQ(command.arguments().size(), 3);
    EXPECT_EQ(command.arguments().at(0).text, QStringLiteral("folder/prog"));
    EXPECT_TRUE(command.arguments().at(2).isFile);

    const ActionCommand relative = ActionCommand::parse(QStringLiteral("tilgomatic %1"));
    EXPECT_EQ(relative.program(), QStringLiteral("tilgomatic"));
}

TEST(ActionCommandTest, FileGoesLastWhenThereIsNoPlaceholder)
{
    const ActionCommand command = ActionCommand::parse(QStringLiteral("/bin/prog  -x"));
    ASSERT_EQ(command.arguments().size(), 2);
    EXPECT_EQ(command.arguments().at(0).text, QStringLiteral("-x"));
    EXPECT_TRUE(command.arguments().at(1).isFile);
}

TEST(ActionCommandTest, ACommandWithoutProgramIsInvalid)
{
    EXPECT_FALSE(ActionCommand::parse(QString()).isValid());
    EXPECT_FALSE(ActionCommand::parse(QStringLiteral("  %1")).isValid()); // a blank command, registered
    EXPECT_FALSE(ActionCommand::parse(QStringLiteral("   ")).isValid());
}

// ---- The generated files ----

TEST_F(FileManagerActionsTest, WritesEachFileManagersEntryWithExactContentAndMode)
{
    QDir().mkpath(configHome + QStringLiteral("/Thunar"));
    EXPECT_TRUE(actions()->sync({plainVerb}));

    EXPECT_EQ(QString::fromUtf8(readFile(dolphin())),
              marker + QStringLiteral("\n"
                                      "[Desktop Entry]\n"
                                      "Type=Service\n"
                                      "MimeType=all/allfiles;\n"
                                      "Actions=tilgomatic;\n"
                                      "X-KDE-Priority=TopLevel\n"
                                      "\n"
                                      "[Desktop Action tilgomatic]\n"
                                      "Name=Tilgomatic\n"
                                      "Icon=edit-delete\n"
                                      "Exec=/opt/tilgomatic/tilgomatic 1%% %f\n"));
    EXPECT_EQ(modeOf(dolphin()), 0755u);

    const QString script =
        QStringLiteral("#!/bin/sh\n") + marker +
        QStringLiteral("\nfor file do\n\tif [ ! -d \"$file\" ]; then\n"
                       "\t\t'/opt/tilgomatic/tilgomatic' '1%' \"$file\" &\n\tfi\ndone\nwait\n");
    EXPECT_EQ(QString::fromUtf8(readFile(nautilus())), script);
    EXPECT_EQ(modeOf(nautilus()), 0755u);
    EXPECT_EQ(QString::fromUtf8(readFile(caja())), script);
    EXPECT_EQ(modeOf(caja()), 0755u);

    EXPECT_EQ(QString::fromUtf8(readFile(nemo())),
              marker + QStringLiteral("\n"
                                      "[Nemo Action]\n"
                                      "Name=Tilgomatic\n"
                                      "Exec='/opt/tilgomatic/tilgomatic' '1%%' %F\n"
                                      "Icon-Name=edit-delete\n"
                                      "Selection=s\n"
                                      "Extensions=nodirs;\n"));
    EXPECT_EQ(modeOf(nemo()), 0644u);

    EXPECT_EQ(QString::fromUtf8(readFile(pcmanfm())),
              marker + QStringLiteral("\n"
                                      "[Desktop Entry]\n"
                                      "Type=Action\n"
                                      "Name=Tilgomatic\n"
                                      "Icon=edit-delete\n"
                                      "Profiles=main;\n"
                                      "\n"
                                      "[X-Action-Profile main]\n"
                                      "MimeTypes=all/allfiles;\n"
                                      "Exec=/opt/tilgomatic/tilgomatic 1%% %f\n"));
    EXPECT_EQ(modeOf(pcmanfm()), 0644u);

    const QList<ThunarEntry> thunar = thunarEntries(uca());
    ASSERT_EQ(thunar.size(), 1);
    EXPECT_EQ(thunar.at(0).uniqueId, QStringLiteral("tilgomatic-tilgomatic"));
    EXPECT_EQ(thunar.at(0).name, QStringLiteral("Tilgomatic"));
    EXPECT_EQ(thunar.at(0).command, QStringLiteral("'/opt/tilgomatic/tilgomatic' '1%%' %f"));
    const QByteArray xml = readFile(uca());
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>"));
    EXPECT_TRUE(xml.contains("<patterns>*</patterns>"));
    EXPECT_TRUE(xml.contains("<audio-files/><image-files/><other-files/><text-files/><video-files/>"));
    EXPECT_FALSE(xml.contains("<directories/>"));
}

TEST_F(FileManagerActionsTest, DesktopExecQuotesAProgramPathWithReservedCharacters)
{
    const QString folder = temp.filePath(QStringLiteral("it's $x"));
    writeFile(folder + QStringLiteral("/a\\b"), "", executable);
    EXPECT_TRUE(actions()->sync({{QStringLiteral("Tilgomatic"), folder + QStringLiteral("/a\\b 1% %1")}}));

    // Quoted, '$' and '\' escaped inside the quotes, then every backslash doubled by the key file.
    const QString expected =
        QStringLiteral("Exec=\"") + temp.path() + QStringLiteral("/it's \\\\$x/a\\\\\\\\b\" 1%% %f\n");
    EXPECT_TRUE(QString::fromUtf8(readFile(dolphin())).endsWith(expected))
        << readFile(dolphin()).toStdString();
}

TEST_F(FileManagerActionsTest, RemovingAVerbDeletesOnlyOurFiles)
{
    writeFile(dataHome + QStringLiteral("/kio/servicemenus/other.desktop"),
              "[Desktop Entry]\nType=Service\n");
    writeFile(dataHome + QStringLiteral("/nautilus/scripts/Other script"), "#!/bin/sh\necho hi\n",
              executable);
    writeFile(dataHome + QStringLiteral("/nemo/actions/other.nemo_action"), "[Nemo Action]\n");
    writeFile(configHome + QStringLiteral("/caja/scripts/Other"), "#!/bin/sh\n", executable);

    auto fileManagers = actions();
    ASSERT_TRUE(fileManagers->sync({plainVerb}));
    for (const QString& path : separateFiles(QStringLiteral("tilgomatic"), QStringLiteral("Tilgomatic")))
        ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();

    EXPECT_TRUE(fileManagers->sync({}));
    for (const QString& path : separateFiles(QStringLiteral("tilgomatic"), QStringLiteral("Tilgomatic")))
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/kio/servicemenus/other.desktop")));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/nautilus/scripts/Other script")));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/nemo/actions/other.nemo_action")));
    EXPECT_TRUE(QFileInfo::exists(configHome + QStringLiteral("/caja/scripts/Other")));
}

TEST_F(FileManagerActionsTest, NothingIsCreatedWhenThereIsNothingToShow)
{
    EXPECT_TRUE(actions(true)->sync({}));
    EXPECT_FALSE(QFileInfo::exists(dataHome));
    EXPECT_FALSE(QFileInfo::exists(configHome));
}

TEST_F(FileManagerActionsTest, AFileOfAnotherProgramUnderOurNameIsNeitherOverwrittenNorRemoved)
{
    const QByteArray foreign = "#!/bin/sh\nexec other-program \"$@\"\n";
    writeFile(nautilus(), foreign, executable);

    auto fileManagers = actions();
    EXPECT_FALSE(fileManagers->sync({plainVerb})); // one entry could not be placed
    EXPECT_EQ(readFile(nautilus()), foreign);
    EXPECT_TRUE(QFileInfo::exists(dolphin())); // the others are in place

    EXPECT_TRUE(fileManagers->sync({}));
    EXPECT_EQ(readFile(nautilus()), foreign);
    EXPECT_FALSE(QFileInfo::exists(dolphin()));
}

TEST_F(FileManagerActionsTest, ARenamedVerbReplacesTheOldEntries)
{
    auto fileManagers = actions();
    ASSERT_TRUE(fileManagers->sync({plainVerb}));
    ASSERT_TRUE(fileManagers->sync({{QStringLiteral("Vernichten"), plainVerb.command}}));

    for (const QString& path : separateFiles(QStringLiteral("tilgomatic"), QStringLiteral("Tilgomatic")))
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : separateFiles(QStringLiteral("vernichten"), QStringLiteral("Vernichten")))
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
}

TEST_F(FileManagerActionsTest, VerbNamesCannotLeaveTheirFolder)
{
    EXPECT_EQ(FileManagerActions::fileId(QStringLiteral("Tilgomatic")), QStringLiteral("tilgomatic"));
    EXPECT_EQ(FileManagerActions::fileId(QStringLiteral("../x")), QStringLiteral("_2e_2e_2fx"));
    EXPECT_NE(FileManagerActions::fileId(QStringLiteral("a b")),
              FileManagerActions::fileId(QStringLiteral("a_20b")));

    ASSERT_TRUE(actions()->sync({{QStringLiteral("../../evil"), plainVerb.command}}));
    EXPECT_TRUE(QFileInfo::exists(dolphin(QStringLiteral("_2e_2e_2f_2e_2e_2fevil"))));
    EXPECT_TRUE(QFileInfo::exists(nautilus(QStringLiteral("_.._.._evil"))));
    EXPECT_FALSE(QFileInfo::exists(dataHome + QStringLiteral("/evil")));
    EXPECT_FALSE(QFileInfo::exists(dataHome + QStringLiteral("/nautilus/evil")));
}

TEST_F(FileManagerActionsTest, AVerbWithoutProgramGetsNoEntry)
{
    EXPECT_TRUE(actions()->sync({{QStringLiteral("Tilgomatic"), QStringLiteral("  %1")}}));
    EXPECT_FALSE(QFileInfo::exists(dolphin()));
    EXPECT_FALSE(QFileInfo::exists(nautilus()));
}

// ---- Thunar's shared file ----

TEST_F(FileManagerActionsTest, ThunarMergeKeepsTheUsersOtherActions)
{
    // As Thunar itself writes the file, declaration attributes in the wrong order included.
    const QByteArray users =
        "<?xml encoding=\"UTF-8\" version=\"1.0\"?>\n<actions>\n<action>\n"
        "\t<icon>utilities-terminal</icon>\n\t<name>Open Terminal Here</name>\n"
        "\t<unique-id>1690000000000000-1</unique-id>\n"
        "\t<command>exo-open --working-directory %f &amp;&amp; echo &quot;&lt;x&gt;&quot;</command>\n"
        "\t<description>Example</description>\n\t<patterns>*</patterns>\n"
        "\t<startup-notify/>\n\t<directories/>\n</action>\n</actions>\n";
    writeFile(uca(), users);

    auto fileManagers = actions();
    ASSERT_TRUE(fileManagers->sync({plainVerb}));
    QList<ThunarEntry> entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(0).uniqueId, QStringLiteral("1690000000000000-1"));
    EXPECT_EQ(entries.at(0).command, QStringLiteral("exo-open --working-directory %f && echo \"<x>\""));
    EXPECT_EQ(entries.at(1).uniqueId, QStringLiteral("tilgomatic-tilgomatic"));

    // Registering again replaces ours instead of adding a second one, and the file stays the same.
    const QByteArray once = readFile(uca());
    ASSERT_TRUE(fileManagers->sync({plainVerb}));
    EXPECT_EQ(readFile(uca()), once);

    ASSERT_TRUE(fileManagers->sync({}));
    entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).name, QStringLiteral("Open Terminal Here"));
    EXPECT_TRUE(readFile(uca()).contains("<startup-notify/>"));
}

TEST_F(FileManagerActionsTest, ThunarStartsFromTheShippedActionsWhenTheUserHasNone)
{
    writeFile(systemUca,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!DOCTYPE actions [\n  <!ELEMENT actions (action)+>\n]>\n"
              "<!-- Default thunar-uca configuration file -->\n"
              "<actions>\n\n  <action>\n    <icon>utilities-terminal</icon>\n"
              "    <name>Open Terminal Here</name>\n    <name xml:lang=\"de\">Terminal hier öffnen</name>\n"
              "    <command>exo-open %f</command>\n  </action>\n\n</actions>\n");
    ASSERT_TRUE(actions(true)->sync({plainVerb}));

    const QList<ThunarEntry> entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(0).command, QStringLiteral("exo-open %f"));
    EXPECT_EQ(entries.at(1).uniqueId, QStringLiteral("tilgomatic-tilgomatic"));
    EXPECT_TRUE(QString::fromUtf8(readFile(uca())).contains(QStringLiteral("Terminal hier öffnen")));
    EXPECT_EQ(modeOf(uca()), 0644u);
}

TEST_F(FileManagerActionsTest, ThunarIsLeftAloneWhereItIsNotUsed)
{
    writeFile(systemUca, ThunarActions::emptyDocument());
    ASSERT_TRUE(actions(false)->sync({plainVerb}));
    EXPECT_FALSE(QFileInfo::exists(configHome + QStringLiteral("/Thunar")));

    ASSERT_TRUE(actions(true)->sync({plainVerb})); // installed, though never started yet
    EXPECT_EQ(thunarEntries(uca()).size(), 1);
}

TEST_F(FileManagerActionsTest, ADamagedThunarFileIsNotTouched)
{
    const QByteArray damaged = "<actions><action><name>Mine</name>";
    writeFile(uca(), damaged);
    EXPECT_FALSE(actions()->sync({plainVerb}));
    EXPECT_EQ(readFile(uca()), damaged);
    EXPECT_TRUE(QFileInfo::exists(dolphin())); // the other file managers are still served
}

TEST_F(FileManagerActionsTest, ThunarWithoutOurActionIsNotRewrittenOnRemoval)
{
    const QByteArray users =
        "<?xml version=\"1.0\"?><actions><action><unique-id>1</unique-id></action></actions>";
    writeFile(uca(), users);
    EXPECT_TRUE(actions()->sync({}));
    EXPECT_EQ(readFile(uca()), users);
}

// ---- Start-up and watch: the files follow the hive, which is only read ----

TEST_F(FileManagerActionsTest, ResyncWritesOnlyWhatTheHiveHoldsAndNeverTheHive)
{
    const QString hivePath = temp.filePath(QStringLiteral("hive.json"));
    auto fileManagers = actions();
    const HiveRegistry hive(hivePath, fileManagers.get());
    FileManagerSync sync(hive, configHome);
    sync.bringInLine(); // first run: no hive, nothing to show
    EXPECT_FALSE(QFileInfo::exists(hivePath) || QFileInfo::exists(dataHome));

    HiveRegistry(hivePath, nullptr)
        .setValue(Registry::ClassesRoot, QStringLiteral("*\\shell\\Tilgomatic\\command"),
                  Registry::StringValue, plainVerb.command);
    // Thunar came later, and its settings dialog wrote back a list holding a stale action of ours.
    writeFile(uca(), "<actions><action><unique-id>tilgomatic-old</unique-id></action>"
                     "<action><unique-id>users</unique-id></action></actions>");
    const QByteArray stored = readFile(hivePath);
    sync.bringInLine();
    EXPECT_EQ(readFile(hivePath), stored);
    EXPECT_TRUE(QFileInfo::exists(dolphin()) && QFileInfo::exists(caja()));
    EXPECT_EQ(thunarEntries(uca()).size(), 2); // the user's and ours, the stale one gone
    EXPECT_EQ(thunarEntries(uca()).last().uniqueId, QStringLiteral("tilgomatic-tilgomatic"));

    // While the program runs, the dialog writes its old list back once more: ours returns to the hive's.
    const QByteArray synced = readFile(uca());
    QFile::remove(uca());
    writeFile(uca(), "<actions><action><unique-id>users</unique-id></action></actions>");
    for (const QDeadlineTimer deadline(10000); readFile(uca()) != synced && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(readFile(uca()), synced);

    writeFile(hivePath, "{ damaged");
    sync.bringInLine(); // says nothing about the wish: the entries stay
    EXPECT_TRUE(QFileInfo::exists(dolphin()));
}

TEST(FileManagerSyncTest, RunningFileManagersThatReadTheirEntriesOnlyAtStartAreFound)
{
    QTemporaryDir proc;
    for (const QString entry : {"7/Thunar", "8/pcmanfm-qt", "9/bash", "self/nautilus"}) // process/name
        writeFile(proc.filePath(entry.section(QLatin1Char('/'), 0, 0) + QStringLiteral("/comm")),
                  entry.section(QLatin1Char('/'), 1).toUtf8() + '\n');
    QDir(proc.path()).mkdir(QStringLiteral("10")); // ended before its name was read
    const uint owner = QFileInfo(proc.filePath(QStringLiteral("7"))).ownerId();
    EXPECT_EQ(FileManagerSync::runningWithDelayedUpdate(proc.path(), owner),
              (QStringList{QStringLiteral("Thunar"), QStringLiteral("PCManFM-Qt")}));
    EXPECT_TRUE(
        FileManagerSync::runningWithDelayedUpdate(proc.path(), owner + 1).isEmpty()); // another user's
}

// ---- Awkward program paths, read back the way each file manager reads them ----

class FileManagerArgumentsTest : public FileManagerActionsTest,
                                 public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        FileManagerActionsTest::SetUp();
        programFolder = temp.filePath(QString::fromUtf8(GetParam()));
        program = programFolder + QStringLiteral("/tilgomatic");
        writeStub(program);
        file = temp.filePath(QStringLiteral("files/the file's $name \"x\" 5% %f.txt"));
        writeFile(file, "secret");
        record = temp.filePath(QStringLiteral("record"));
        QDir().mkpath(configHome + QStringLiteral("/Thunar"));
        // The command exactly as the main window registers it: folder, "/", name, " 1%", then " %1".
        ASSERT_TRUE(actions()->sync({{QStringLiteral("Tilgomatic"), program + QStringLiteral(" 1% %1")}}));
    }

    QList<QStringList> expected() const { return {{QStringLiteral("1%"), file}}; }

    QString programFolder;
    QString program;
    QString file;
    QString record;
};

TEST_P(FileManagerArgumentsTest, DolphinAndPcmanfmStartTheProgramWithTheFile)
{
    for (const auto& [path, group] : {std::pair{dolphin(), QStringLiteral("Desktop Action tilgomatic")},
                                      std::pair{pcmanfm(), QStringLiteral("X-Action-Profile main")}}) {
        const QString exec = keyFileValue(QString::fromUtf8(readFile(path)), group, QStringLiteral("Exec"));
        QStringList argv = desktopExecArguments(exec, file);
        ASSERT_FALSE(argv.isEmpty());
        // KIO's check before the start, else "Could not find the program".
        EXPECT_TRUE(path != dolphin() || QFileInfo(kioProgram(exec)).isExecutable()) << exec.toStdString();
        const QString executable = argv.takeFirst();
        EXPECT_EQ(runAndRecord(executable, argv, record), expected()) << path.toStdString();
    }
}

TEST_P(FileManagerArgumentsTest, NemoStartsTheProgramWithTheFile)
{
    const QString exec = keyFileValue(QString::fromUtf8(readFile(nemo())), QStringLiteral("Nemo Action"),
                                      QStringLiteral("Exec"));
    QStringList argv = shellWords(nemoExpand(exec, file));
    ASSERT_FALSE(argv.isEmpty());
    const QString executable = argv.takeFirst();
    EXPECT_EQ(executable, program);
    EXPECT_EQ(runAndRecord(executable, argv, record), expected());
}

TEST_P(FileManagerArgumentsTest, ThunarStartsTheProgramWithTheFile)
{
    const QList<ThunarEntry> entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 1);
    const QString line = thunarExpand(entries.at(0).command, file);
    EXPECT_EQ(runAndRecord(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}, record), expected());
}

TEST_P(FileManagerArgumentsTest, NautilusAndCajaScriptsStartTheProgramOncePerSelectedFileButNoFolder)
{
    // They hand over the selected names relative to the folder shown, several at once.
    const QFileInfo chosen(file);
    const QString second = QStringLiteral("zweite\nDatei");
    writeFile(chosen.dir().filePath(second), "");
    QDir(chosen.absolutePath()).mkdir(QStringLiteral("Ordner"));
    for (const QString& script : {nautilus(), caja()}) {
        EXPECT_EQ(
            runAndRecord(script, {chosen.fileName(), QStringLiteral("Ordner"), second}, record,
                         chosen.absolutePath()),
            (QList<QStringList>{{QStringLiteral("1%"), chosen.fileName()}, {QStringLiteral("1%"), second}}))
            << script.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, FileManagerArgumentsTest,
                         ::testing::Values("plain", "my  tools 'single' \"double\"", "$HOME `id` back\\slash",
                                           "100% %1 %f %%", "Größe Ünïcödé ;&|<>*?#()~=",
                                           "no-blanks$;&|`'\"\\*?#~<>()", "new\nline\ttab"));
