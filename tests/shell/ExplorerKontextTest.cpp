// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ExplorerKontext.h"

#include "platform/CoreBridge.h"
#include "platform/NativePath.h"
#include "platform/ProgramInfo.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/MenuRegistry.h"
#include "support/MemoryRegistry.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Key = Registry::Key;

// Passes every call on to another registry, writes down what was asked, keeps count of open handles and can
// make one operation fail.
class RecordingRegistry : public Registry
{
public:
    explicit RecordingRegistry(Registry& inner)
        : m_inner(inner)
    {}

    long createKey(Key root, const std::string& subKey, Key* result) override
    {
        calls.append(QStringLiteral("create ") + QString::fromStdString(subKey));
        const long status = m_inner.createKey(root, subKey, result);
        if (status == RegistryStatus::Success)
            open.insert(*result);
        return status;
    }
    long setValue(Key root, const std::string& subKey, int type, const std::string& data) override
    {
        calls.append(QStringLiteral("set %1 %2 = %3")
                         .arg(QString::fromStdString(subKey))
                         .arg(type)
                         .arg(QString::fromStdString(data)));
        return m_inner.setValue(root, subKey, type, data);
    }
    long openKey(Key root, const std::string& subKey, int options, int access, Key* result) override
    {
        calls.append(QStringLiteral("open %1 %2").arg(QString::fromStdString(subKey)).arg(access));
        const long status = m_inner.openKey(root, subKey, options, access, result);
        if (status == RegistryStatus::Success)
            open.insert(*result);
        return status;
    }
    long deleteKey(Key key, const std::string& name) override
    {
        calls.append(QStringLiteral("delete ") + QString::fromStdString(name));
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
    std::string failDeleteOf;

private:
    Registry& m_inner;
};

class ExplorerKontextTest : public ::testing::Test
{
protected:
    MemoryRegistry memory;
    RecordingRegistry registry{memory};
    const std::string verb = "Tilgomatic";
    const std::string command = "/opt/tilgomatic/tilgomatic 1%";
};

} // namespace

TEST_F(ExplorerKontextTest, RegisteringWritesTheCommandKeyWithThePlaceholder)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, command);

    EXPECT_TRUE(memory.value("*\\shell\\Tilgomatic").empty()); // the menu shows its name
    EXPECT_EQ(memory.value("*\\shell\\Tilgomatic\\command"), std::string("/opt/tilgomatic/tilgomatic 1% %1"));
    EXPECT_EQ(registry.calls,
              (QStringList{
                  QStringLiteral("create *\\shell\\Tilgomatic\\command"), QStringLiteral("close"),
                  QStringLiteral("set *\\shell\\Tilgomatic\\command 1 = /opt/tilgomatic/tilgomatic 1% %1")}));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, RegisteringTwiceLeavesOneEntryWithTheSecondCommand)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, command);
    modExplorerKontext::SetExplorerMenu(registry, verb, "/usr/lib/tilgomatic/tilgomatic 1%");

    EXPECT_EQ(memory.value("*\\shell\\Tilgomatic\\command"),
              std::string("/usr/lib/tilgomatic/tilgomatic 1% %1"));
}

TEST_F(ExplorerKontextTest, AnEmptyCommandRemovesAndASingleBlankRegisters)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, " ");
    EXPECT_EQ(memory.value("*\\shell\\Tilgomatic\\command"), std::string("  %1"));

    modExplorerKontext::SetExplorerMenu(registry, verb, "");
    EXPECT_FALSE(memory.hasKey("*\\shell\\Tilgomatic"));
    EXPECT_TRUE(memory.hasKey("*\\shell")); // only the verb's own keys go
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
    EXPECT_FALSE(memory.hasKey("*\\shell\\Tilgomatic"));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, RemovingWithoutVerbKeyChangesNothing)
{
    modExplorerKontext::SetExplorerMenu(registry, "Other", command);
    registry.calls.clear();

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_EQ(registry.calls, QStringList{QStringLiteral("open *\\shell\\Tilgomatic 2")});
    EXPECT_EQ(memory.value("*\\shell\\Other\\command"), command + " %1");
}

TEST_F(ExplorerKontextTest, AVerbKeyWithoutCommandKeyStays)
{
    Key key = Registry::NoKey;
    ASSERT_EQ(memory.createKey(Registry::ClassesRoot, "*\\shell\\Tilgomatic", &key), RegistryStatus::Success);
    modExplorerKontext::RemoveExplorerMenu(registry, verb);

    EXPECT_TRUE(memory.hasKey("*\\shell\\Tilgomatic"));
    EXPECT_FALSE(registry.calls.contains(QStringLiteral("delete Tilgomatic")));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, AVerbKeyWithAnotherSubkeyLosesOnlyItsCommand)
{
    modExplorerKontext::CreateExplorerMenu(registry, verb, command);
    Key key = Registry::NoKey;
    ASSERT_EQ(memory.createKey(Registry::ClassesRoot, "*\\shell\\Tilgomatic\\DropTarget", &key),
              RegistryStatus::Success);

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_TRUE(memory.hasKey("*\\shell\\Tilgomatic\\DropTarget"));
    EXPECT_FALSE(memory.hasKey("*\\shell\\Tilgomatic\\command"));
    EXPECT_TRUE(registry.open.isEmpty());
}

TEST_F(ExplorerKontextTest, AFailedDeletionStopsTheRemovalAndStillClosesTheHandle)
{
    modExplorerKontext::CreateExplorerMenu(registry, verb, command);
    registry.calls.clear();
    registry.failDeleteOf = "Command";

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_EQ(registry.calls, (QStringList{QStringLiteral("open *\\shell\\Tilgomatic 2"),
                                           QStringLiteral("delete Command"), QStringLiteral("close")}));
    EXPECT_TRUE(memory.hasKey("*\\shell\\Tilgomatic\\command"));
    EXPECT_TRUE(registry.open.isEmpty());
}

// The whole road: ticking registers the program, a file manager's entry starts it with the chosen file,
// unticking removes the entries again. The program's folder holds a byte that is no UTF-8, its name a dot.
TEST(ExplorerKontextRoadTest, TheRegisteredEntryStartsTheProgramWithTheFileAndRemovalClearsIt)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString folder = temp.path() + NativePath::fromNative("/Programme 'x' $HOME 100% Gr\xf6\xdf"
                                                                "e");
    const QString executable = folder + QStringLiteral("/tilgo.bin");
    const ProgramInfo program = ProgramInfo::of(CoreBridge::toPath(executable), {}, "/");
    ASSERT_EQ(::mkdir(NativePath::toNative(folder).constData(), 0755), 0);
    writeFile(executable,
              "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$TILGO_STUB_RECORD\"\n", 0755);
    const QString chosen = temp.filePath(QStringLiteral("geheim \"alt\".txt"));
    writeFile(chosen, "");

    const QString dataHome = temp.filePath(QStringLiteral("data"));
    FileManagerActions actions(dataHome, temp.filePath(QStringLiteral("config")));
    actions.setThunarInstalled([] { return false; });
    MenuRegistry registry(actions, program.executablePath);

    modExplorerKontext::SetExplorerMenu(registry, "Tilgomatic", modExplorerKontext::programCommand(program));
    const QString script = dataHome + QStringLiteral("/nautilus/scripts/Tilgomatic");
    const QString record = temp.filePath(QStringLiteral("record"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TILGO_STUB_RECORD"), record);
    process.setProcessEnvironment(environment);
    process.start(script, {chosen});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(readFile(record), QByteArray("1%") + '\0' + chosen.toUtf8() + '\0');

    modExplorerKontext::SetExplorerMenu(registry, "Tilgomatic", "");
    EXPECT_FALSE(nameExists(script));
    EXPECT_FALSE(nameExists(dataHome + QStringLiteral("/kio/servicemenus/tilgomatic.desktop")));
    Registry::Key key = Registry::NoKey;
    EXPECT_EQ(registry.openKey(Registry::ClassesRoot, "*\\shell\\Tilgomatic", 0, 2, &key),
              RegistryStatus::FileNotFound);
}
