#include "shell/ExplorerKontext.h"

#include "platform/ProgramInfo.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/HiveRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Key = Registry::Key;

// Passes every call on to a real hive, writes down what was asked, keeps count of open handles and can
// make one operation fail.
class RecordingRegistry : public Registry
{
public:
    explicit RecordingRegistry(Registry& inner)
        : m_inner(inner)
    {}

    long createKey(Key root, const QString& subKey, Key* result) override
    {
        calls.append(QStringLiteral("create ") + subKey);
        const long status = m_inner.createKey(root, subKey, result);
        if (status == RegistryStatus::Success)
            open.insert(*result);
        return status;
    }
    long setValue(Key root, const QString& subKey, int type, const QString& data) override
    {
        calls.append(QStringLiteral("set %1 %2 = %3").arg(subKey).arg(type).arg(data));
        return m_inner.setValue(root, subKey, type, data);
    }
    long openKey(Key root, const QString& subKey, int options, int access, Key* result) override
    {
        calls.append(QStringLiteral("open %1 %2").arg(subKey).arg(access));
        const long status = m_inner.openKey(root, subKey, options, access, result);
        if (status == RegistryStatus::Success)
            open.insert(*result);
        return status;
    }
    long deleteKey(Key key, const QString& name) override
    {
        calls.append(QStringLiteral("delete ") + name);
        if (failDeleteOf == name)
            return RegistryStatus::AccessDenied;
        return m_inner.deleteKey(key, name);
    }
    long closeKey(Key key) override
    {
        calls.append(QStringLiteral("close"));
        if (!open.remove(key))
            ADD_FAILURE() << "closing a handle that is not open";
        return m_inner.closeKey(key);
    }

    QStringList calls;
    QSet<Key> open;
    QString failDeleteOf;

private:
    Registry& m_inner;
};

class ExplorerKontextTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    QByteArray hiveBytes() const
    {
        QFile file(hive.hivePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir temp;
    HiveRegistry hive{temp.filePath(QStringLiteral("hive/registry.json")), nullptr};
    RecordingRegistry registry{hive};
    const QString verb = QStringLiteral("Tilgomatic");
    const QString command = QStringLiteral("/opt/tilgomatic/tilgomatic 1%");
};

} // namespace

TEST_F(ExplorerKontextTest, RegisteringWritesTheCommandKeyWithThePlaceholder)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, command);

    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell")), QStringList{verb});
    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell\\Tilgomatic")), QStringList{QStringLiteral("command")});
    EXPECT_FALSE(
        hive.defaultValue(QStringLiteral("*\\shell\\Tilgomatic")).has_value()); // the menu shows its name
    EXPECT_EQ(hive.defaultValue(QStringLiteral("*\\shell\\Tilgomatic\\command")),
              QStringLiteral("/opt/tilgomatic/tilgomatic 1% %1"));
    EXPECT_EQ(registry.calls,
              (QStringList{
                  QStringLiteral("create *\\shell\\Tilgomatic\\command"), QStringLiteral("close"),
                  QStringLiteral("set *\\shell\\Tilgomatic\\command 1 = /opt/tilgomatic/tilgomatic 1% %1")}));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, RegisteringTwiceLeavesOneEntryWithTheSecondCommand)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, command);
    modExplorerKontext::SetExplorerMenu(registry, verb, QStringLiteral("/usr/lib/tilgomatic/tilgomatic 1%"));

    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell")), QStringList{verb});
    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell\\Tilgomatic")), QStringList{QStringLiteral("command")});
    EXPECT_EQ(hive.defaultValue(QStringLiteral("*\\shell\\Tilgomatic\\command")),
              QStringLiteral("/usr/lib/tilgomatic/tilgomatic 1% %1"));
}

TEST_F(ExplorerKontextTest, AnEmptyCommandRemovesAndASingleBlankRegisters)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, QStringLiteral(" "));
    EXPECT_EQ(hive.defaultValue(QStringLiteral("*\\shell\\Tilgomatic\\command")), QStringLiteral("  %1"));

    modExplorerKontext::SetExplorerMenu(registry, verb, QString());
    EXPECT_FALSE(hive.keyExists(QStringLiteral("*\\shell\\Tilgomatic")));
    EXPECT_TRUE(hive.keyExists(QStringLiteral("*\\shell"))); // only the verb's own keys go
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, RemovalDeletesCommandKeyThenVerbKeyClosingEveryHandle)
{
    modExplorerKontext::CreateExplorerMenu(registry, verb, command);
    registry.calls.clear();

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    // "Command" names the key created as "command".
    EXPECT_EQ(registry.calls,
              (QStringList{QStringLiteral("open *\\shell\\Tilgomatic 2"), QStringLiteral("delete Command"),
                           QStringLiteral("close"), QStringLiteral("open *\\shell 2"),
                           QStringLiteral("delete Tilgomatic"), QStringLiteral("close")}));
    EXPECT_FALSE(hive.keyExists(QStringLiteral("*\\shell\\Tilgomatic")));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, RemovingWithoutVerbKeyChangesNothing)
{
    modExplorerKontext::SetExplorerMenu(registry, QStringLiteral("Other"), command);
    const QByteArray before = hiveBytes();
    registry.calls.clear();

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_EQ(registry.calls, QStringList{QStringLiteral("open *\\shell\\Tilgomatic 2")});
    EXPECT_EQ(hiveBytes(), before);
}

TEST_F(ExplorerKontextTest, AVerbKeyWithoutCommandKeyStays)
{
    ASSERT_EQ(hive.createKey(Registry::ClassesRoot, QStringLiteral("*\\shell\\Tilgomatic"), nullptr),
              RegistryStatus::Success);
    modExplorerKontext::RemoveExplorerMenu(registry, verb);

    EXPECT_TRUE(hive.keyExists(QStringLiteral("*\\shell\\Tilgomatic")));
    EXPECT_FALSE(registry.calls.contains(QStringLiteral("delete Tilgomatic")));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, AVerbKeyWithAnotherSubkeyLosesOnlyItsCommand)
{
    modExplorerKontext::CreateExplorerMenu(registry, verb, command);
    ASSERT_EQ(
        hive.createKey(Registry::ClassesRoot, QStringLiteral("*\\shell\\Tilgomatic\\DropTarget"), nullptr),
        RegistryStatus::Success);

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_EQ(hive.subKeys(QStringLiteral("*\\shell\\Tilgomatic")),
              QStringList{QStringLiteral("DropTarget")});
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, AFailedDeletionStopsTheRemovalAndStillClosesTheHandle)
{
    modExplorerKontext::CreateExplorerMenu(registry, verb, command);
    registry.calls.clear();
    registry.failDeleteOf = QStringLiteral("Command");

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_EQ(registry.calls, (QStringList{QStringLiteral("open *\\shell\\Tilgomatic 2"),
                                           QStringLiteral("delete Command"), QStringLiteral("close")}));
    EXPECT_TRUE(hive.keyExists(QStringLiteral("*\\shell\\Tilgomatic\\command")));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, ProgramCommandJoinsFolderNameAndMarker)
{
    ProgramInfo program;
    program.executableName = QStringLiteral("tilgomatic");
    program.programFolder = QStringLiteral("/opt/my tools");
    EXPECT_EQ(modExplorerKontext::programCommand(program), QStringLiteral("/opt/my tools/tilgomatic 1%"));
}

// The whole road: ticking registers the program, a file manager's entry starts it with the chosen file,
// unticking removes the entries again.
TEST(ExplorerKontextRoadTest, TheRegisteredEntryStartsTheProgramWithTheFileAndRemovalClearsIt)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    ProgramInfo program;
    program.executableName = QStringLiteral("tilgomatic");
    program.programFolder = temp.filePath(QStringLiteral("Programme 'x' $HOME 100% Größe"));
    ASSERT_TRUE(QDir().mkpath(program.programFolder));
    const QString stub = program.programFolder + QStringLiteral("/tilgomatic");
    {
        QFile file(stub);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$TILGO_STUB_RECORD\"\n");
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    }
    const QString chosen = temp.filePath(QStringLiteral("Akten/geheim \"alt\".txt"));
    QDir().mkpath(QFileInfo(chosen).absolutePath());
    QFile(chosen).open(QIODevice::WriteOnly);

    const QString dataHome = temp.filePath(QStringLiteral("data"));
    FileManagerActions actions(dataHome, temp.filePath(QStringLiteral("config")));
    actions.setThunarInstalled([] { return false; });
    HiveRegistry hive(temp.filePath(QStringLiteral("data/tilgomatic/registry.json")), &actions);

    modExplorerKontext::SetExplorerMenu(hive, QStringLiteral("Tilgomatic"),
                                        modExplorerKontext::programCommand(program));
    const QString script = dataHome + QStringLiteral("/nautilus/scripts/Tilgomatic");
    ASSERT_TRUE(QFileInfo::exists(script));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/kio/servicemenus/tilgomatic.desktop")));

    const QString record = temp.filePath(QStringLiteral("record"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TILGO_STUB_RECORD"), record);
    process.setProcessEnvironment(environment);
    process.start(script, {chosen});
    ASSERT_TRUE(process.waitForFinished(30000));
    QFile recorded(record);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(recorded.readAll()), QStringLiteral("1%") + QChar(0) + chosen + QChar(0));

    modExplorerKontext::SetExplorerMenu(hive, QStringLiteral("Tilgomatic"), QString());
    EXPECT_FALSE(QFileInfo::exists(script));
    EXPECT_FALSE(QFileInfo::exists(dataHome + QStringLiteral("/kio/servicemenus/tilgomatic.desktop")));
    EXPECT_FALSE(hive.keyExists(QStringLiteral("*\\shell\\Tilgomatic")));
}
