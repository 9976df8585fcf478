#include "platform/linux/HiveRegistry.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/UserFolders.h"
#include "support/ScopedVariable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Key = Registry::Key;
constexpr Key root = Registry::ClassesRoot;

class HiveRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        hivePath = temp.filePath(QStringLiteral("tilgomatic/registry.json"));
    }

    void writeHive(const QByteArray& data)
    {
        QDir().mkpath(QFileInfo(hivePath).absolutePath());
        QFile file(hivePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
    }

    QTemporaryDir temp;
    QString hivePath;
};

} // namespace

// ---- The five operations ----

TEST_F(HiveRegistryTest, CreateKeyCreatesMissingParentsAndOpensAnExistingKey)
{
    HiveRegistry hive(hivePath, nullptr);
    Key first = Registry::NoKey;
    ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\shell\\Tilgomatic\\command"), &first),
              RegistryStatus::Success);
    EXPECT_NE(first, Registry::NoKey);
    EXPECT_TRUE(hive.keyExists(QStringLiteral("*")));
    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell")), QStringList{QStringLiteral("Tilgomatic")});
    EXPECT_FALSE(hive.defaultValue(QStringLiteral("*\\shell\\Tilgomatic\\command")).has_value());

    Key second = Registry::NoKey;
    ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\shell\\Tilgomatic\\command"), &second),
              RegistryStatus::Success);
    EXPECT_NE(second, Registry::NoKey);
    EXPECT_NE(second, first); // each open hands out its own handle
    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell\\Tilgomatic")), QStringList{QStringLiteral("command")});

    EXPECT_EQ(hive.closeKey(first), RegistryStatus::Success);
    EXPECT_EQ(hive.closeKey(second), RegistryStatus::Success);
}

TEST_F(HiveRegistryTest, NamesCompareWithoutCaseAndKeepTheSpellingOfTheirCreation)
{
    HiveRegistry hive(hivePath, nullptr);
    ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\Shell\\Verb"), nullptr), RegistryStatus::Success);
    ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\SHELL\\verb\\command"), nullptr),
              RegistryStatus::Success);

    EXPECT_EQ(hive.subKeys(QStringLiteral("*")), QStringList{QStringLiteral("Shell")});
    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell")), QStringList{QStringLiteral("Verb")});

    Key key = Registry::NoKey;
    EXPECT_EQ(
        hive.openKey(root, QStringLiteral("*\\sHeLl\\VERB\\Command"), 0, Registry::SetValueAccess, &key),
        RegistryStatus::Success);
    EXPECT_EQ(hive.closeKey(key), RegistryStatus::Success);
}

TEST_F(HiveRegistryTest, SetValueCreatesTheKeyAndOverwritesItsDefaultValue)
{
    HiveRegistry hive(hivePath, nullptr);
    ASSERT_EQ(hive.setValue(root, QStringLiteral("a\\b"), Registry::StringValue, QStringLiteral("first")),
              RegistryStatus::Success);
    EXPECT_EQ(hive.defaultValue(QStringLiteral("A\\B")), QStringLiteral("first"));
    EXPECT_FALSE(hive.defaultValue(QStringLiteral("a")).has_value());

    ASSERT_EQ(
        hive.setValue(root, QStringLiteral("A\\b"), Registry::StringValue, QStringLiteral("zweite Größe %1")),
        RegistryStatus::Success);
    EXPECT_EQ(hive.defaultValue(QStringLiteral("a\\b")), QStringLiteral("zweite Größe %1"));
    EXPECT_EQ(hive.subKeys(QStringLiteral("a")), QStringList{QStringLiteral("b")});
}

TEST_F(HiveRegistryTest, OpenKeyFailsForAMissingKey)
{
    HiveRegistry hive(hivePath, nullptr);
    Key key = 1234;
    EXPECT_EQ(hive.openKey(root, QStringLiteral("*\\shell\\Tilgomatic"), 0, Registry::SetValueAccess, &key),
              RegistryStatus::FileNotFound);
    EXPECT_EQ(key, Registry::NoKey);
    EXPECT_FALSE(QFileInfo::exists(hivePath)); // looking creates nothing
}

TEST_F(HiveRegistryTest, DeleteKeyRemovesOnlyAKeyWithoutSubkeys)
{
    HiveRegistry hive(hivePath, nullptr);
    ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\shell\\V\\command"), nullptr), RegistryStatus::Success);
    Key shell = Registry::NoKey;
    ASSERT_EQ(hive.openKey(root, QStringLiteral("*\\shell"), 0, Registry::SetValueAccess, &shell),
              RegistryStatus::Success);

    EXPECT_EQ(hive.deleteKey(shell, QStringLiteral("v")), RegistryStatus::AccessDenied);
    EXPECT_TRUE(hive.keyExists(QStringLiteral("*\\shell\\V\\command")));
    EXPECT_EQ(hive.deleteKey(shell, QStringLiteral("missing")), RegistryStatus::FileNotFound);
    EXPECT_EQ(hive.deleteKey(shell, QString()), RegistryStatus::AccessDenied);

    EXPECT_EQ(hive.deleteKey(shell, QStringLiteral("V\\Command")), RegistryStatus::Success);
    EXPECT_EQ(hive.deleteKey(shell, QStringLiteral("V")), RegistryStatus::Success);
    EXPECT_TRUE(hive.subKeys(QStringLiteral("*\\shell")).isEmpty());
    EXPECT_TRUE(hive.keyExists(QStringLiteral("*\\shell")));
    EXPECT_EQ(hive.closeKey(shell), RegistryStatus::Success);
}

TEST_F(HiveRegistryTest, HandlesAreCheckedAndFollowTheirKey)
{
    HiveRegistry hive(hivePath, nullptr);
    EXPECT_EQ(hive.deleteKey(777, QStringLiteral("x")), RegistryStatus::InvalidHandle);
    EXPECT_EQ(hive.createKey(777, QStringLiteral("x"), nullptr), RegistryStatus::InvalidHandle);
    EXPECT_EQ(hive.closeKey(777), RegistryStatus::InvalidHandle);
    EXPECT_EQ(hive.closeKey(Registry::NoKey), RegistryStatus::InvalidHandle);
    EXPECT_EQ(hive.closeKey(root), RegistryStatus::Success);

    Key verb = Registry::NoKey;
    ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\shell\\Verb"), &verb), RegistryStatus::Success);
    ASSERT_EQ(hive.createKey(verb, QStringLiteral("command"), nullptr), RegistryStatus::Success);
    ASSERT_EQ(hive.setValue(verb, QStringLiteral("command"), Registry::StringValue, QStringLiteral("x")),
              RegistryStatus::Success);
    EXPECT_EQ(hive.defaultValue(QStringLiteral("*\\shell\\verb\\command")), QStringLiteral("x"));

    // Once its key is gone, a handle finds nothing and creates nothing.
    Key shell = Registry::NoKey;
    ASSERT_EQ(hive.openKey(root, QStringLiteral("*\\shell"), 0, 0, &shell), RegistryStatus::Success);
    ASSERT_EQ(hive.deleteKey(verb, QStringLiteral("command")), RegistryStatus::Success);
    ASSERT_EQ(hive.deleteKey(shell, QStringLiteral("verb")), RegistryStatus::Success);
    EXPECT_EQ(hive.createKey(verb, QStringLiteral("again"), nullptr), RegistryStatus::FileNotFound);
    EXPECT_FALSE(hive.keyExists(QStringLiteral("*\\shell\\verb")));

    EXPECT_EQ(hive.closeKey(verb), RegistryStatus::Success);
    EXPECT_EQ(hive.closeKey(verb), RegistryStatus::InvalidHandle);
    EXPECT_EQ(hive.closeKey(shell), RegistryStatus::Success);
}

// ---- The hive file ----

TEST_F(HiveRegistryTest, EveryOperationSeesWhatAnotherInstanceWrote)
{
    HiveRegistry first(hivePath, nullptr);
    HiveRegistry second(hivePath, nullptr);
    ASSERT_EQ(first.setValue(root, QStringLiteral("*\\shell\\V\\command"), Registry::StringValue,
                             QStringLiteral("c")),
              RegistryStatus::Success);

    Key key = Registry::NoKey;
    ASSERT_EQ(second.openKey(root, QStringLiteral("*\\shell\\V"), 0, 0, &key), RegistryStatus::Success);
    ASSERT_EQ(second.deleteKey(key, QStringLiteral("command")), RegistryStatus::Success);
    second.closeKey(key);

    EXPECT_EQ(first.openKey(root, QStringLiteral("*\\shell\\V\\command"), 0, 0, &key),
              RegistryStatus::FileNotFound);
    EXPECT_TRUE(first.keyExists(QStringLiteral("*\\shell\\V")));
}

TEST_F(HiveRegistryTest, ADamagedHiveCountsAsEmpty)
{
    for (const QByteArray& damaged : {QByteArray("{\"keys\": [ {\"name\": \"*\""), QByteArray("[1, 2, 3]"),
                                      QByteArray("\xff\xfe garbage")}) {
        writeHive(damaged);
        HiveRegistry hive(hivePath, nullptr);
        Key key = Registry::NoKey;
        EXPECT_EQ(hive.openKey(root, QStringLiteral("*"), 0, 0, &key), RegistryStatus::FileNotFound);
        EXPECT_TRUE(hive.subKeys(QString()).isEmpty());

        ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\shell"), nullptr), RegistryStatus::Success);
        QFile file(hivePath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QJsonDocument::fromJson(file.readAll()).isObject());
        EXPECT_TRUE(hive.keyExists(QStringLiteral("*\\shell")));
    }
}

TEST_F(HiveRegistryTest, MalformedEntriesAreSkippedAndTheRestIsKept)
{
    writeHive(R"({"keys": [ {"name": "*", "keys": [ {"name": "shell"}, {"nom": "x"}, {"name": "a\\b"},
                 {"name": "SHELL"}, 17 ]}, {"name": "good", "type": 1, "value": "v"} ]})");
    HiveRegistry hive(hivePath, nullptr);
    EXPECT_EQ(hive.subKeys(QStringLiteral("*")), QStringList{QStringLiteral("shell")});
    EXPECT_EQ(hive.defaultValue(QStringLiteral("good")), QStringLiteral("v"));
}

TEST_F(HiveRegistryTest, WritesLeaveNoTemporaryFilesBehind)
{
    HiveRegistry hive(hivePath, nullptr);
    ASSERT_EQ(hive.setValue(root, QStringLiteral("*\\shell\\V\\command"), Registry::StringValue,
                            QStringLiteral("c")),
              RegistryStatus::Success);
    Key key = Registry::NoKey;
    ASSERT_EQ(hive.openKey(root, QStringLiteral("*\\shell\\V"), 0, 0, &key), RegistryStatus::Success);
    ASSERT_EQ(hive.deleteKey(key, QStringLiteral("command")), RegistryStatus::Success);
    hive.closeKey(key);

    const QStringList files = QDir(QFileInfo(hivePath).absolutePath())
                                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(files, QStringList{QStringLiteral("registry.json")});
}

TEST_F(HiveRegistryTest, AHiveThatCannotBeWrittenReportsWriteFault)
{
    QFile blocker(temp.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    HiveRegistry hive(temp.filePath(QStringLiteral("not-a-folder/registry.json")), nullptr);

    Key key = 99;
    EXPECT_EQ(hive.createKey(root, QStringLiteral("*\\shell"), &key), RegistryStatus::WriteFault);
    EXPECT_EQ(key, Registry::NoKey);
    EXPECT_EQ(hive.setValue(root, QStringLiteral("*"), Registry::StringValue, QStringLiteral("x")),
              RegistryStatus::WriteFault);
    EXPECT_FALSE(hive.keyExists(QStringLiteral("*")));
}

// ---- The file managers follow the verbs ----

TEST_F(HiveRegistryTest, ChangesBelowShellBringTheFileManagersInLine)
{
    const QString dataHome = temp.filePath(QStringLiteral("data"));
    FileManagerActions actions(dataHome, temp.filePath(QStringLiteral("config")));
    actions.setThunarInstalled([] { return false; });
    HiveRegistry hive(hivePath, &actions);
    const QString dolphin = dataHome + QStringLiteral("/kio/servicemenus/tilgomatic.desktop");

    // A verb key and its command key without a value yet: nothing to start.
    ASSERT_EQ(hive.createKey(root, QStringLiteral("*\\shell\\Tilgomatic\\command"), nullptr),
              RegistryStatus::Success);
    EXPECT_FALSE(QFileInfo::exists(dolphin));

    ASSERT_EQ(hive.setValue(root, QStringLiteral("*\\shell\\Tilgomatic\\command"), Registry::StringValue,
                            QStringLiteral("/opt/t/tilgomatic 1% %1")),
              RegistryStatus::Success);
    ASSERT_TRUE(QFileInfo::exists(dolphin));

    // Writing the same value again puts back an entry the user deleted by hand.
    QFile::remove(dolphin);
    ASSERT_EQ(hive.setValue(root, QStringLiteral("*\\shell\\Tilgomatic\\command"), Registry::StringValue,
                            QStringLiteral("/opt/t/tilgomatic 1% %1")),
              RegistryStatus::Success);
    EXPECT_TRUE(QFileInfo::exists(dolphin));

    // Verbs of other file classes are not for every file.
    ASSERT_EQ(hive.setValue(root, QStringLiteral("txtfile\\shell\\open\\command"), Registry::StringValue,
                            QStringLiteral("/bin/editor %1")),
              RegistryStatus::Success);
    EXPECT_FALSE(QFileInfo::exists(dataHome + QStringLiteral("/kio/servicemenus/open.desktop")));

    Key verb = Registry::NoKey;
    ASSERT_EQ(hive.openKey(root, QStringLiteral("*\\shell\\Tilgomatic"), 0, 0, &verb),
              RegistryStatus::Success);
    ASSERT_EQ(hive.deleteKey(verb, QStringLiteral("Command")), RegistryStatus::Success);
    hive.closeKey(verb);
    EXPECT_FALSE(QFileInfo::exists(dolphin)); // gone with its command, though the verb key is still there
}

TEST_F(HiveRegistryTest, TheUsersHiveLivesInTheDataFolderAndServesTheUsersFileManagers)
{
    const QByteArray home = QFile::encodeName(temp.filePath(QStringLiteral("home")));
    ScopedVariable homeVariable("HOME", home);
    ScopedVariable data("XDG_DATA_HOME", QFile::encodeName(temp.filePath(QStringLiteral("xdg data"))));
    ScopedVariable config("XDG_CONFIG_HOME", "relative/config"); // not absolute: to be ignored

    const std::unique_ptr<HiveRegistry> hive = HiveRegistry::forUser(QStringLiteral("tilgotest"));
    EXPECT_EQ(hive->hivePath(), temp.filePath(QStringLiteral("xdg data/tilgotest/registry.json")));
    EXPECT_EQ(UserFolders::configHome(), QString::fromLocal8Bit(home) + QStringLiteral("/.config"));

    ASSERT_EQ(hive->setValue(root, QStringLiteral("*\\shell\\Tilgomatic\\command"), Registry::StringValue,
                             QStringLiteral("/opt/t/tilgomatic 1% %1")),
              RegistryStatus::Success);
    EXPECT_TRUE(
        QFileInfo::exists(temp.filePath(QStringLiteral("xdg data/kio/servicemenus/tilgomatic.desktop"))));
    EXPECT_TRUE(
        QFileInfo::exists(QString::fromLocal8Bit(home) + QStringLiteral("/.config/caja/scripts/Tilgomatic")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("relative")));
}
