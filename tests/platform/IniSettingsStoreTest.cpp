// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/UserFolders.h"
#include "support/ScopedVariable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

const char* const App = "tilgomatic";
const char* const Section = "Options";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class IniSettingsStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir temp;
    QString config() const { return temp.filePath(QStringLiteral("config")); }
    QString fileOf(const QString& application) const
    {
        return config() + QLatin1Char('/') + application + QLatin1Char('/') + application +
               QStringLiteral(".conf");
    }
};

TEST_F(IniSettingsStoreTest, FirstRunReadsDefaultsAndWritesNothing)
{
    IniSettingsStore store(config());
    EXPECT_EQ(store.read(App, Section, "ExplorerMnu", "0"), "0");
    EXPECT_EQ(store.read(App, Section, "QuitAction", "0"), "0");
    EXPECT_EQ(store.read(App, Section, "BGColor", ""), "");
    EXPECT_FALSE(QFileInfo::exists(config())) << "reading created the configuration folder";
}

TEST_F(IniSettingsStoreTest, TheThreeKeysSurviveARestartInTheOptionsGroup)
{
    {
        IniSettingsStore store(config());
        EXPECT_TRUE(store.save(App, Section, "ExplorerMnu", "1"));
        EXPECT_TRUE(store.save(App, Section, "QuitAction", "0"));
        EXPECT_TRUE(store.save(App, Section, "BGColor", "&H00FFFFFF"));
        EXPECT_TRUE(store.save(App, Section, "BGColor", "&H8000000F")); // replaces, not adds
    }
    IniSettingsStore later(config());
    EXPECT_EQ(later.read(App, Section, "ExplorerMnu", "0"), "1");
    EXPECT_EQ(later.read(App, Section, "QuitAction", "1"), "0");
    EXPECT_EQ(later.read(App, Section, "BGColor", ""), "&H8000000F");

    EXPECT_EQ(later.filePath(App), fileOf(App));
    const QByteArray text = readAll(fileOf(App));
    EXPECT_TRUE(text.startsWith("[Options]\n")) << text.constData();
    // Plain lines a user can read and edit: no quoting or escaping of the colour text.
    EXPECT_TRUE(text.contains("\nBGColor=&H8000000F\n")) << text.constData();
    EXPECT_TRUE(text.contains("\nExplorerMnu=1\n")) << text.constData();
    EXPECT_EQ(text.count("BGColor"), 1);
}

TEST_F(IniSettingsStoreTest, AHandWrittenFileReadsAsWrittenAndIsNotTouchedByReading)
{
    const QByteArray handWritten = "; von Hand geschrieben\n[Other]\nBGColor=&H000000FF\n\n"
                                   "[Options]\nExplorerMnu=1\nQuitAction = 1\nBGColor=&H00FFFFFF\n";
    writeAll(fileOf(App), handWritten);
    const QDateTime before = QFileInfo(fileOf(App)).lastModified();

    IniSettingsStore store(config());
    EXPECT_EQ(store.read(App, Section, "ExplorerMnu", "0"), "1");
    EXPECT_EQ(store.read(App, Section, "QuitAction", "0"), "1");
    EXPECT_EQ(store.read(App, Section, "BGColor", ""), "&H00FFFFFF");
    EXPECT_EQ(store.read(App, Section, "Missing", "vorgabe"), "vorgabe");
    EXPECT_EQ(store.read(App, "Other", "BGColor", ""), "&H000000FF");

    EXPECT_EQ(readAll(fileOf(App)), handWritten) << "reading changed the file";
    EXPECT_EQ(QFileInfo(fileOf(App)).lastModified(), before);
}

TEST_F(IniSettingsStoreTest, SavingKeepsTheOtherKeysAndGroups)
{
    writeAll(fileOf(App), "[Other]\nKeep=ja\n\n[Options]\nQuitAction=1\n");
    IniSettingsStore store(config());
    EXPECT_TRUE(store.save(App, Section, "ExplorerMnu", "1"));
    EXPECT_EQ(store.read(App, Section, "QuitAction", "0"), "1");
    EXPECT_EQ(store.read(App, "Other", "Keep", ""), "ja");
}

TEST_F(IniSettingsStoreTest, ARenamedExecutableHasItsOwnSettings)
{
    IniSettingsStore store(config());
    ASSERT_TRUE(store.save(App, Section, "QuitAction", "1"));
    EXPECT_EQ(store.read("tilgo-kopie", Section, "QuitAction", "0"), "0");
    EXPECT_TRUE(store.save("tilgo-kopie", Section, "QuitAction", "0"));
    EXPECT_EQ(store.read(App, Section, "QuitAction", "0"), "1");
    EXPECT_TRUE(QFileInfo::exists(fileOf("tilgo-kopie")));
    EXPECT_NE(store.filePath("tilgo-kopie"), store.filePath(App));
}

TEST_F(IniSettingsStoreTest, ADamagedFileGivesDefaultsAndIsRepairedByTheNextSave)
{
    const QList<QByteArray> damaged = {
        QByteArray("\x00\xff\xfe\x01[[[==\n\x7f", 12), // binary garbage
        "[Options\nQuitAction=1\n",                    // unclosed group: half parsed, not trusted
        "[Options]\nQuitAction=1\n[Opti",              // cut off while it was written
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toHex().constData());
        writeAll(fileOf(App), bytes);
        IniSettingsStore store(config());
        EXPECT_NO_THROW(EXPECT_EQ(store.read(App, Section, "QuitAction", "0"), "0"));
        EXPECT_TRUE(store.save(App, Section, "QuitAction", "1"));
        EXPECT_EQ(IniSettingsStore(config()).read(App, Section, "QuitAction", "0"), "1");
    }
}

TEST_F(IniSettingsStoreTest, AStoreThatCannotBeWrittenReportsFailure)
{
    // A folder where the file belongs: it can neither be read nor replaced (also as root).
    QDir().mkpath(fileOf(App));
    IniSettingsStore store(config());
    EXPECT_EQ(store.read(App, Section, "QuitAction", "0"), "0");
    EXPECT_FALSE(store.save(App, Section, "QuitAction", "1"));

    // A plain file where the configuration folder belongs.
    writeAll(temp.filePath("plain"), "x");
    IniSettingsStore blocked(temp.filePath("plain"));
    EXPECT_EQ(blocked.read(App, Section, "QuitAction", "0"), "0");
    EXPECT_FALSE(blocked.save(App, Section, "QuitAction", "1"));
}

TEST_F(IniSettingsStoreTest, ApplicationNamesThatAreNoFileNamesAreRefused)
{
    IniSettingsStore store(config());
    for (const QString& name :
         {QString(), QStringLiteral(".."), QStringLiteral("../evil"), QStringLiteral("a/b")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(store.filePath(name).isEmpty());
        EXPECT_FALSE(store.save(name.toStdString(), Section, "QuitAction", "1"));
        EXPECT_EQ(store.read(name.toStdString(), Section, "QuitAction", "0"), "0");
    }
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(IniSettingsStoreFolder, FollowsAnAbsoluteXdgConfigHomeAndIgnoresARelativeOne)
{
    const QString standard = QDir::homePath() + "/.config";

    const ScopedVariable config("XDG_CONFIG_HOME", "/srv/konfig/");
    EXPECT_EQ(UserFolders::configHome(), "/srv/konfig");
    qputenv("XDG_CONFIG_HOME", "relativ/konfig");
    EXPECT_EQ(UserFolders::configHome(), standard);
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserFolders::configHome(), standard);
    EXPECT_EQ(IniSettingsStore().filePath("tilgomatic"), standard + "/tilgomatic/tilgomatic.conf");
    // Without HOME the user database names the home, not "/".
    const ScopedVariable home("HOME", "");
    qunsetenv("HOME");
    EXPECT_EQ(UserFolders::configHome(), QFile::decodeName(::getpwuid(::geteuid())->pw_dir) + "/.config");
}

// root in another user's home (sudo with HOME kept) writes nothing there: neither a file of root's in the
// user's folder nor over the user's own file.
TEST_F(IniSettingsStoreTest, RootWritesNothingIntoAnotherUsersFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    writeAll(fileOf("own"), "[Options]\nQuitAction=0\n");
    for (const QString& path : {config(), config() + "/own", fileOf("own")})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    IniSettingsStore store(config());
    EXPECT_FALSE(store.save("own", Section, "QuitAction", "1"));
    EXPECT_FALSE(store.save("new", Section, "QuitAction", "1"));
    EXPECT_EQ(readAll(fileOf("own")), "[Options]\nQuitAction=0\n");
    EXPECT_FALSE(QFileInfo::exists(config() + "/new"));
}

} // namespace
