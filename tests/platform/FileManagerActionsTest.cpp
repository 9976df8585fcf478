// SPDX-License-Identifier: GPL-3.0-or-later
#include "ActionFolders.h"

#include <QProcess>

#include <algorithm>

#include <unistd.h>

namespace {

const QString marker = FileManagerActions::markerLine();
const QString verb = QStringLiteral("Tilgomatic");

using FileManagerActionsTest = ActionFolders;

} // namespace

// ---- The generated files ----

TEST_F(FileManagerActionsTest, WritesEachFileManagersEntryWithExactContentAndMode)
{
    put(configHome + QStringLiteral("/Thunar/keep"), "");
    EXPECT_TRUE(actions().add(verb, command()));

    EXPECT_EQ(QString::fromUtf8(readFile(dolphin())),
              marker + QStringLiteral("\n"
                                      "[Desktop Entry]\n"
                                      "Type=Service\n"
                                      "MimeType=all/allfiles;\n"
                                      "Actions=tilgomatic;\n"
                                      "X-KDE-Priority=TopLevel\n"
                                      "TryExec=/opt/tilgomatic/tilgomatic\n"
                                      "\n"
                                      "[Desktop Action tilgomatic]\n"
                                      "Name=Tilgomatic\n"
                                      "Icon=edit-delete\n"
                                      "Exec=/opt/tilgomatic/tilgomatic 1%% %f\n"));
    EXPECT_EQ(modeOf(dolphin()), 0755u);

    EXPECT_TRUE(readFile(nautilus()).contains("\t\t'/opt/tilgomatic/tilgomatic' '1%' \"$file\" &\n"));
    EXPECT_EQ(modeOf(nautilus()), 0755u);
    EXPECT_EQ(readFile(caja()), readFile(nautilus()));
    EXPECT_EQ(modeOf(caja()), 0755u);

    EXPECT_EQ(QString::fromUtf8(readFile(nemo())),
              marker + QStringLiteral("\n"
                                      "[Nemo Action]\n"
                                      "Name=Tilgomatic\n"
                                      "Exec='/opt/tilgomatic/tilgomatic' '1%%' %F\n"
                                      "Icon-Name=edit-delete\n"
                                      "Selection=s\n"
                                      "Extensions=nodirs;\n"
                                      "Dependencies=/opt/tilgomatic/tilgomatic;\n"));
    EXPECT_EQ(modeOf(nemo()), 0644u);

    EXPECT_EQ(QString::fromUtf8(readFile(pcmanfm())),
              marker + QStringLiteral("\n"
                                      "[Desktop Entry]\n"
                                      "Type=Action\n"
                                      "Name=Tilgomatic\n"
                                      "Icon=edit-delete\n"
                                      "Profiles=main;\n"
                                      "ShowIfTrue=/bin/sh -c 'test -x \"$0\" && echo true' "
                                      "'/opt/tilgomatic/tilgomatic'\n"
                                      "\n"
                                      "[X-Action-Profile main]\n"
                                      "MimeTypes=all/allfiles;\n"
                                      "Exec=/bin/sh -c \"for f do '/opt/tilgomatic/tilgomatic' '1%%' "
                                      "\\\\\"\\\\$f\\\\\" & done; wait\" sh %F\n"));
    EXPECT_EQ(modeOf(pcmanfm()), 0644u);

    EXPECT_EQ(thunarEntries(uca()),
              (QList<QStringList>{{QStringLiteral("tilgomatic-tilgomatic"), verb,
                                   QStringLiteral("'/opt/tilgomatic/tilgomatic' '1%%' %f")}}));
    const QByteArray xml = readFile(uca());
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>"));
    EXPECT_TRUE(xml.contains("<patterns>*</patterns>"));
    EXPECT_TRUE(xml.contains("<audio-files/><image-files/><other-files/><text-files/><video-files/>"));
    EXPECT_FALSE(xml.contains("<directories/>"));
}

// File-manager watchers see no change when nothing changed: every file keeps its inode and mode. An entry
// of an older version (Dolphin's without TryExec here) is brought up to date once.
TEST_F(FileManagerActionsTest, AddingAgainRewritesNothingAndRestoresOnlyWhatIsMissingOrOld)
{
    put(configHome + QStringLiteral("/Thunar/keep"), "");
    FileManagerActions fileManagers = actions();
    ASSERT_TRUE(fileManagers.add(verb, command()));
    QStringList files = separateFiles();
    files.append(uca());
    ASSERT_TRUE(QFile::remove(nemo()));
    const QByteArray current = readFile(dolphin());
    put(dolphin(), QByteArray(current).replace("TryExec=/opt/tilgomatic/tilgomatic\n", ""), 0755);
    for (const QString& changed : {dolphin(), QString()}) {
        QList<ino_t> before;
        for (const QString& path : files)
            before.append(inode(path));
        ASSERT_TRUE(fileManagers.add(verb, command()));
        for (int i = 0; i < files.size(); ++i) {
            if (files[i] == nemo())
                EXPECT_TRUE(nameExists(nemo()));
            else
                EXPECT_EQ(inode(files[i]) != before[i], files[i] == changed) << files[i].toStdString();
        }
        EXPECT_EQ(readFile(dolphin()), current);
        files.removeOne(nemo());
    }
    EXPECT_TRUE(fileManagers.has(verb));
}

TEST_F(FileManagerActionsTest, RemovingDeletesOnlyOurFiles)
{
    const QStringList others{dataHome + QStringLiteral("/kio/servicemenus/other.desktop"),
                             dataHome + QStringLiteral("/nautilus/scripts/Other script"),
                             dataHome + QStringLiteral("/nemo/actions/other.nemo_action"),
                             configHome + QStringLiteral("/caja/scripts/Other")};
    for (const QString& path : others)
        put(path, "#!/bin/sh\necho hi\n", 0755);

    FileManagerActions fileManagers = actions();
    ASSERT_TRUE(fileManagers.add(verb, command()));
    for (const QString& path : separateFiles())
        ASSERT_TRUE(nameExists(path)) << path.toStdString();

    EXPECT_TRUE(fileManagers.remove(verb));
    EXPECT_FALSE(fileManagers.has(verb));
    for (const QString& path : separateFiles())
        EXPECT_FALSE(nameExists(path)) << path.toStdString();
    for (const QString& path : others)
        EXPECT_TRUE(nameExists(path)) << path.toStdString();
}

TEST_F(FileManagerActionsTest, RemovingWhatIsNotThereCreatesNothing)
{
    EXPECT_TRUE(actions(true).remove(verb));
    EXPECT_FALSE(nameExists(dataHome));
    EXPECT_FALSE(nameExists(configHome));
}

TEST_F(FileManagerActionsTest, AFileOfAnotherProgramUnderOurNameIsNeitherOverwrittenNorRemoved)
{
    const QByteArray foreign = "#!/bin/sh\nexec other-program \"$@\"\n";
    put(nautilus(), foreign, 0755);

    FileManagerActions fileManagers = actions();
    EXPECT_FALSE(fileManagers.add(verb, command())); // one entry could not be placed
    EXPECT_EQ(readFile(nautilus()), foreign);
    EXPECT_TRUE(nameExists(dolphin())); // the others are in place

    EXPECT_TRUE(fileManagers.remove(verb));
    EXPECT_EQ(readFile(nautilus()), foreign);
    EXPECT_FALSE(nameExists(dolphin()));
}

TEST_F(FileManagerActionsTest, VerbNamesCannotLeaveTheirFolder)
{
    EXPECT_EQ(FileManagerActions::fileId(QStringLiteral("Tilgomatic")), QStringLiteral("tilgomatic"));
    EXPECT_EQ(FileManagerActions::fileId(QStringLiteral("../x")), QStringLiteral("_2e_2e_2fx"));
    EXPECT_NE(FileManagerActions::fileId(QStringLiteral("a b")),
              FileManagerActions::fileId(QStringLiteral("a_20b")));

    ASSERT_TRUE(actions().add(QStringLiteral("../../evil"), command()));
    EXPECT_TRUE(nameExists(dataHome + QStringLiteral("/kio/servicemenus/_2e_2e_2f_2e_2e_2fevil.desktop")));
    EXPECT_TRUE(nameExists(dataHome + QStringLiteral("/nautilus/scripts/_.._.._evil")));
    EXPECT_FALSE(nameExists(dataHome + QStringLiteral("/evil")));
    EXPECT_FALSE(nameExists(dataHome + QStringLiteral("/nautilus/evil")));
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
    put(uca(), users);

    FileManagerActions fileManagers = actions();
    ASSERT_TRUE(fileManagers.add(verb, command()));
    QList<QStringList> entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(0).at(0), QStringLiteral("1690000000000000-1"));
    EXPECT_EQ(entries.at(0).at(2), QStringLiteral("exo-open --working-directory %f && echo \"<x>\""));
    EXPECT_EQ(entries.at(1).at(0), QStringLiteral("tilgomatic-tilgomatic"));

    // Registering another program replaces ours instead of adding a second one.
    ASSERT_TRUE(fileManagers.add(verb, command(QStringLiteral("/usr/bin/tilgomatic"))));
    entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(1).at(2), QStringLiteral("'/usr/bin/tilgomatic' '1%%' %f"));

    ASSERT_TRUE(fileManagers.remove(verb));
    entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).at(1), QStringLiteral("Open Terminal Here"));
    EXPECT_TRUE(readFile(uca()).contains("<startup-notify/>"));
}

TEST_F(FileManagerActionsTest, ThunarStartsFromTheShippedActionsWhenTheUserHasNone)
{
    put(systemUca,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE actions [\n  <!ELEMENT actions (action)+>\n]>\n"
        "<!-- Default thunar-uca configuration file -->\n"
        "<actions>\n\n  <action>\n    <icon>utilities-terminal</icon>\n"
        "    <name>Open Terminal Here</name>\n    <name xml:lang=\"de\">Terminal hier öffnen</name>\n"
        "    <command>exo-open %f</command>\n  </action>\n\n</actions>\n");
    ASSERT_TRUE(actions(true).add(verb, command()));

    const QList<QStringList> entries = thunarEntries(uca());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(0).at(2), QStringLiteral("exo-open %f"));
    EXPECT_EQ(entries.at(1).at(0), QStringLiteral("tilgomatic-tilgomatic"));
    EXPECT_TRUE(QString::fromUtf8(readFile(uca())).contains(QStringLiteral("Terminal hier öffnen")));
    EXPECT_EQ(modeOf(uca()), 0644u);
}

// Where Thunar is not used its file is not created; a file we cannot read, or one without our action, is
// not rewritten.
TEST_F(FileManagerActionsTest, ThunarsFileIsWrittenOnlyWhereUsedReadableAndChanged)
{
    put(systemUca, "<actions/>");
    ASSERT_TRUE(actions(false).add(verb, command()));
    EXPECT_FALSE(nameExists(configHome + QStringLiteral("/Thunar")));
    ASSERT_TRUE(actions(true).add(verb, command())); // installed, though never started yet
    EXPECT_EQ(thunarEntries(uca()).size(), 1);

    for (const QByteArray& users :
         {QByteArray("<?xml version=\"1.0\"?><actions><action><unique-id>1</unique-id>"
                     "</action></actions>"),
          QByteArray("<actions><action><name>Mine</name>")}) {
        put(uca(), users);
        const ino_t before = inode(uca());
        actions().remove(verb);
        EXPECT_EQ(readFile(uca()), users);
        EXPECT_EQ(inode(uca()), before);
    }
    EXPECT_FALSE(actions().add(verb, command())); // damaged: left alone, and said so
    EXPECT_TRUE(nameExists(dolphin()));           // the other file managers are still served
}

// ---- Awkward program paths, started the way each file manager starts its entry ----

namespace {

// The value of key in [group] of a key file, with the key file's string escapes undone.
QString keyFileValue(const QByteArray& content, const QString& group, const QString& key,
                     bool required = true)
{
    QString current;
    for (const QString& line : QString::fromUtf8(content).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            current = line.mid(1, line.size() - 2);
        else if (current == group && line.startsWith(key + QLatin1Char('='))) {
            QString value = line.mid(key.size() + 1);
            static const QList<std::pair<QString, QString>> escapes{
                {"\\s", " "}, {"\\n", "\n"}, {"\\t", "\t"}, {"\\r", "\r"}, {"\\\\", "\\"}};
            QString result;
            for (qsizetype i = 0; i < value.size(); ++i) {
                const auto escape = std::find_if(escapes.cbegin(), escapes.cend(),
                                                 [&](const auto& e) { return value.mid(i, 2) == e.first; });
                result += escape == escapes.cend() ? QString(value.at(i)) : escape->second;
                i += escape == escapes.cend() ? 0 : 1;
            }
            return result;
        }
    }
    if (required)
        ADD_FAILURE() << "no " << key.toStdString() << " in [" << group.toStdString() << "]";
    return QString();
}

// line with its field codes expanded as the file managers do: code becomes the shell-quoted file, "%%" a
// "%". Desktop-entry quoting (double quotes, with '"', '`', '$' and '\' escaped) reads the same in sh, so
// every entry's line can then be run with sh -c: Thunar does so itself, Nemo splits it alike.
QString expanded(const QString& line, QChar code, const QStringList& files)
{
    QString result;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) != QLatin1Char('%')) {
            result += line.at(i);
        } else if (i + 1 < line.size() && line.at(++i) == code) {
            QStringList quoted; // a list code ("%F") takes every selected file, blank-separated
            for (const QString& file : files)
                quoted.append(QLatin1Char('\'') +
                              QString(file).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
                              QLatin1Char('\''));
            result += quoted.join(QLatin1Char(' '));
        } else if (line.at(i) == QLatin1Char('%')) {
            result += QLatin1Char('%');
        } else {
            ADD_FAILURE() << "stray field code in " << line.toStdString();
        }
    }
    return result;
}

// KIO looks for the program under the first word of Exec before it undoes "%%", and takes leading words
// holding "=" as variable settings: that word must hold neither.
QString firstWord(const QString& exec)
{
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec.at(i) == QLatin1Char('\\'))
            ++i;
        else if (exec.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else if (exec.at(i) == QLatin1Char(' ') && !quoted)
            return exec.left(i);
    }
    return exec;
}

} // namespace

class FileManagerArgumentsTest : public ActionFolders, public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        ActionFolders::SetUp();
        program = temp.path() + QLatin1Char('/') + NativePath::fromNative(GetParam()) +
                  QStringLiteral("/tilgo.bin");
        // A program that records the arguments of each start, each followed by a NUL, in a file of its own.
        put(program,
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$TILGO_STUB_RECORD/$$\"\n", 0755);
        file = temp.filePath(QStringLiteral("files/the file's $name \"x\" 5% %f.txt"));
        put(file, "secret");
        put(configHome + QStringLiteral("/Thunar/keep"), "");
        ASSERT_TRUE(actions().add(verb, command(program)));
    }

    // Runs program with arguments and returns the arguments of every start of the stub, sorted.
    QList<QStringList> run(const QString& executable, const QStringList& arguments,
                           const QString& workingFolder = QString()) const
    {
        const QString record = temp.filePath(QStringLiteral("record"));
        QDir(record).removeRecursively();
        QDir().mkpath(record);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TILGO_STUB_RECORD"), record);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingFolder);
        process.start(executable, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        QList<QStringList> starts;
        for (const QString& name : QDir(record).entryList(QDir::Files)) {
            starts.append(QString::fromUtf8(readFile(record + QLatin1Char('/') + name)).split(QChar(0)));
            starts.last().removeLast(); // after the last terminator
        }
        std::sort(starts.begin(), starts.end());
        return starts;
    }
    QList<QStringList> runLine(const QString& line) const
    {
        return run(QStringLiteral("/bin/sh"), {"-c", line});
    }

    QString program;
    QString file;
};

// Each entry is started as its file manager starts it, with the selection it offers the entry for: Dolphin
// starts once per file; Nemo shows it for one file only; PCManFM hands over the whole selection at once.
TEST_P(FileManagerArgumentsTest, EveryFileManagerStartsTheProgramWithTheFile)
{
    const QList<QStringList> expected{{QStringLiteral("1%"), file}};
    const QString second = temp.filePath(QStringLiteral("files/zweite 'Datei' %F"));
    put(second, "");
    for (const auto& [path, group, code, selection, starts] :
         {std::tuple{dolphin(), QStringLiteral("Desktop Action tilgomatic"), QChar('f'), QStringList{file},
                     expected},
          std::tuple{pcmanfm(), QStringLiteral("X-Action-Profile main"), QChar('F'), QStringList{file},
                     expected},
          std::tuple{pcmanfm(), QStringLiteral("X-Action-Profile main"), QChar('F'),
                     QStringList{file, second},
                     QList<QStringList>{{QStringLiteral("1%"), file}, {QStringLiteral("1%"), second}}},
          std::tuple{nemo(), QStringLiteral("Nemo Action"), QChar('F'), QStringList{file}, expected}}) {
        const QString exec = keyFileValue(readFile(path), group, QStringLiteral("Exec"));
        EXPECT_EQ(runLine(expanded(exec, code, selection)), starts) << path.toStdString();
        EXPECT_TRUE(path != dolphin() || !(firstWord(exec).contains(QLatin1Char('%')) ||
                                           firstWord(exec).contains(QLatin1Char('='))))
            << exec.toStdString();
    }
    const QList<QStringList> thunar = thunarEntries(uca());
    ASSERT_EQ(thunar.size(), 1);
    EXPECT_EQ(runLine(expanded(thunar.at(0).at(2), QChar('f'), {file})), expected);
}

TEST_P(FileManagerArgumentsTest, NautilusAndCajaScriptsStartTheProgramOncePerSelectedFileButNoFolder)
{
    // They hand over the selected names relative to the folder shown, several at once.
    const QFileInfo chosen(file);
    const QString second = QStringLiteral("zweite\nDatei");
    put(chosen.dir().filePath(second), "");
    QDir(chosen.absolutePath()).mkdir(QStringLiteral("Ordner"));
    for (const QString& script : {nautilus(), caja()}) {
        EXPECT_EQ(run(script, {chosen.fileName(), QStringLiteral("Ordner"), second}, chosen.absolutePath()),
                  (QList<QStringList>{{QStringLiteral("1%"), chosen.absoluteFilePath()},
                                      {QStringLiteral("1%"), chosen.dir().filePath(second)}}))
            << script.toStdString();
    }
}

// Removed with its package, the program leaves its entries behind: those that can name it (TryExec, Nemo's
// Dependencies, which reads "\\;" as ";", PCManFM-Qt's ShowIfTrue) are hidden, and the scripts tell the
// user which file to delete, in a notification or on standard error, and fail. A path that no key file can
// name is left out.
TEST_P(FileManagerArgumentsTest, AnEntryWhoseProgramIsGoneIsHiddenOrSaysSo)
{
    const QString named = NativePath::toNative(program) == program.toUtf8() ? program : QString();
    EXPECT_EQ(keyFileValue(readFile(dolphin()), "Desktop Entry", "TryExec", !named.isEmpty()), named);
    EXPECT_EQ(keyFileValue(readFile(nemo()), "Nemo Action", "Dependencies", !named.isEmpty()),
              named.isEmpty() ? named : QString(named).replace(";", "\\;") + ';');
    const QString showIf = keyFileValue(readFile(pcmanfm()), "Desktop Entry", "ShowIfTrue", !named.isEmpty());
    const auto shows = [&] {
        QProcess process;
        process.start(QStringLiteral("/bin/sh"), {"-c", expanded(showIf, QChar('f'), {file})});
        return process.waitForFinished(30000) && process.readAllStandardOutput() == "true\n";
    };
    EXPECT_EQ(shows(), !named.isEmpty());

    ASSERT_EQ(::unlink(NativePath::toNative(program).constData()), 0);
    EXPECT_FALSE(shows());
    const QString tools = temp.filePath(QStringLiteral("tools"));
    put(tools + QStringLiteral("/notify-send"), "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.said\"\n", 0755);
    for (const QString& script : {nautilus(), caja()}) {
        for (const QString& pathVariable : {tools, temp.filePath(QStringLiteral("none"))}) {
            QFile::remove(tools + QStringLiteral("/notify-send.said"));
            QProcess process;
            QProcessEnvironment environment;
            environment.insert(QStringLiteral("PATH"), pathVariable);
            process.setProcessEnvironment(environment);
            process.start(script, {file});
            ASSERT_TRUE(process.waitForFinished(30000));
            const QString said =
                QString::fromUtf8(pathVariable == tools ? readFile(tools + "/notify-send.said")
                                                        : process.readAllStandardError());
            EXPECT_NE(process.exitCode(), 0);
            EXPECT_TRUE(said.contains(QStringLiteral("Tilgomatic ist nicht mehr installiert")) &&
                        said.contains(QStringLiteral("Datei löschen: ") + script))
                << said.toStdString();
            EXPECT_TRUE(nameExists(file));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, FileManagerArgumentsTest,
                         ::testing::Values("plain", "my  tools 'single' \"double\"", "$HOME `id` back\\slash",
                                           "100% %1 %f %%",
                                           "Größe Ünïcödé ;&|<>*?#()~=", "no-blanks$;&|`'\"\\*?#~<>()",
                                           "new\nline\ttab", "K\xe4se \\\xff"));
