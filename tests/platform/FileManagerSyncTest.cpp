// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/FileManagerSync.h"
#include "ActionFolders.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace {

using FileManagerSyncTest = ActionFolders;

const QString verb = QStringLiteral("Tilgomatic");

// Lets the watcher see changes for at most ten seconds, until done says so.
bool waitFor(const std::function<bool()>& done, int milliseconds = 10000)
{
    for (const QDeadlineTimer deadline(milliseconds); !done() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

} // namespace

// At start-up only what is missing is written; later, Thunar's settings dialog writing back its old list
// gets our entry back while the verb is registered, and not once it was removed.
TEST_F(FileManagerSyncTest, WritesWhatIsMissingAndKeepsThunarInLineWhileRegistered)
{
    FileManagerActions fileManagers = actions();
    ASSERT_TRUE(fileManagers.add(verb, command()));
    ASSERT_TRUE(QFile::remove(caja()));
    const ino_t dolphinBefore = inode(dolphin());
    put(uca(),
        "<actions><action><unique-id>tilgomatic-tilgomatic</unique-id></action>"
        "<action><unique-id>users</unique-id></action></actions>"); // Thunar came later, with a stale one

    FileManagerSync sync(fileManagers, verb, command(), configHome);
    sync.bringInLine();
    EXPECT_EQ(inode(dolphin()), dolphinBefore);
    EXPECT_TRUE(nameExists(caja()));
    const QByteArray synced = readFile(uca());
    ASSERT_EQ(thunarEntries(uca()).size(), 2);
    EXPECT_EQ(thunarEntries(uca()).last().at(2), QStringLiteral("'/opt/tilgomatic/tilgomatic' '1%%' %f"));

    const QByteArray without = "<actions><action><unique-id>users</unique-id></action></actions>";
    put(uca(), without);
    EXPECT_TRUE(waitFor([&] { return readFile(uca()) == synced; }));

    ASSERT_TRUE(fileManagers.remove(verb)); // unticked meanwhile
    put(uca(), without);
    EXPECT_FALSE(waitFor([&] { return readFile(uca()) != without; }, 1500));
}

TEST_F(FileManagerSyncTest, RunningFileManagersThatReadTheirEntriesOnlyAtStartAreFound)
{
    const QString proc = temp.filePath(QStringLiteral("proc"));
    for (const QString entry : {"7/Thunar", "8/pcmanfm-qt", "9/bash", "self/nautilus"}) // process/name
        put(proc + QLatin1Char('/') + entry.section(QLatin1Char('/'), 0, 0) + QStringLiteral("/comm"),
            entry.section(QLatin1Char('/'), 1).toUtf8() + '\n');
    QDir(proc).mkdir(QStringLiteral("10")); // ended before its name was read
    const uint owner = QFileInfo(proc + QStringLiteral("/7")).ownerId();
    EXPECT_EQ(FileManagerSync::runningWithDelayedUpdate(proc, owner),
              (QStringList{QStringLiteral("Thunar"), QStringLiteral("PCManFM-Qt")}));
    EXPECT_TRUE(FileManagerSync::runningWithDelayedUpdate(proc, owner + 1).isEmpty()); // another user's
}

// The registry file of earlier versions goes, with its folder once that is empty.
TEST_F(FileManagerSyncTest, TheOldRegistryFileIsRemoved)
{
    for (const bool otherFile : {false, true}) {
        put(dataHome + QStringLiteral("/tilgo/registry.json"), QByteArray(1 << 20, ' '));
        if (otherFile)
            put(dataHome + QStringLiteral("/tilgo/notes"), "");
        FileManagerSync::removeOldRecord(dataHome, QStringLiteral("tilgo"));
        EXPECT_FALSE(nameExists(dataHome + QStringLiteral("/tilgo/registry.json")));
        EXPECT_EQ(nameExists(dataHome + QStringLiteral("/tilgo")), otherFile);
    }
}

// The real program, copied into a folder whose name is no UTF-8, with the entry wanted in its settings:
// at start-up it finds its settings under its own name and writes entries that name its exact bytes.
TEST_F(FileManagerSyncTest, TheProgramInAFolderThatIsNoUtf8KeepsItsEntryAtStartUp)
{
    const QString built = qEnvironmentVariable("TILGOMATIC_BUILD_DIR") + QStringLiteral("/tilgomatic");
    if (!QFileInfo::exists(built))
        GTEST_SKIP() << "no program built at " << built.toStdString();
    const QString program = temp.path() + NativePath::fromNative("/K\xe4se $x/tilgo.bin");
    put(program, readFile(built), 0755);
    put(configHome + QStringLiteral("/tilgo/tilgo.conf"), "[Options]\nExplorerMnu=1\n");

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), temp.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    // QProcess would spell the folder's byte as another name: it starts the program through a link.
    const QString link = temp.filePath(QStringLiteral("start"));
    ASSERT_EQ(::symlink(NativePath::toNative(program).constData(), QFile::encodeName(link).constData()), 0);
    process.start(link, {});
    const bool written = waitFor([&] { return nameExists(nautilus()); });
    process.terminate();
    process.waitForFinished(10000);
    ASSERT_TRUE(written);
    EXPECT_TRUE(readFile(nautilus()).contains("'" + NativePath::toNative(program) + "' '1%'"));
}
