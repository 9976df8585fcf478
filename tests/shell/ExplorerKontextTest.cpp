// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ExplorerKontext.h"

#include "platform/NativeText.h"
#include "platform/ProgramInfo.h"
#include "support/MemoryRegistry.h"
#include "support/OsPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using Key = Registry::Key;

// What commandValue puts behind the command: Windows' shell needs the file's placeholder in quotes.
const std::string Placeholder = NativeText::WindowsPaths ? " \"%1\"" : " %1";

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
        calls.push_back("create " + subKey);
        const long status = m_inner.createKey(root, subKey, result);
        if (status == RegistryStatus::Success)
            open.insert(*result);
        return status;
    }
    long setValue(Key root, const std::string& subKey, int type, const std::string& data) override
    {
        calls.push_back("set " + subKey + ' ' + std::to_string(type) + " = " + data);
        return m_inner.setValue(root, subKey, type, data);
    }
    long openKey(Key root, const std::string& subKey, int options, int access, Key* result) override
    {
        calls.push_back("open " + subKey + ' ' + std::to_string(access));
        const long status = m_inner.openKey(root, subKey, options, access, result);
        if (status == RegistryStatus::Success)
            open.insert(*result);
        return status;
    }
    long deleteKey(Key key, const std::string& name) override
    {
        calls.push_back("delete " + name);
        if (failDeleteOf == name)
            return RegistryStatus::AccessDenied;
        return m_inner.deleteKey(key, name);
    }
    long closeKey(Key key) override
    {
        calls.push_back("close");
        if (open.erase(key) == 0)
            ADD_FAILURE() << "closing a handle that is not open";
        return m_inner.closeKey(key);
    }

    std::vector<std::string> calls;
    std::set<Key> open;
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
    EXPECT_EQ(memory.value("*\\shell\\Tilgomatic\\command"), command + Placeholder);
    EXPECT_EQ(registry.calls,
              (std::vector<std::string>{"create *\\shell\\Tilgomatic\\command", "close",
                                        "set *\\shell\\Tilgomatic\\command 1 = " + command + Placeholder}));
    EXPECT_TRUE(registry.open.empty());
}

TEST_F(ExplorerKontextTest, RegisteringTwiceLeavesOneEntryWithTheSecondCommand)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, command);
    modExplorerKontext::SetExplorerMenu(registry, verb, "/usr/lib/tilgomatic/tilgomatic 1%");

    EXPECT_EQ(memory.value("*\\shell\\Tilgomatic\\command"),
              "/usr/lib/tilgomatic/tilgomatic 1%" + Placeholder);
}

TEST_F(ExplorerKontextTest, AnEmptyCommandRemovesAndASingleBlankRegisters)
{
    modExplorerKontext::SetExplorerMenu(registry, verb, " ");
    EXPECT_EQ(memory.value("*\\shell\\Tilgomatic\\command"), " " + Placeholder);

    modExplorerKontext::SetExplorerMenu(registry, verb, "");
    EXPECT_FALSE(memory.hasKey("*\\shell\\Tilgomatic"));
    EXPECT_TRUE(memory.hasKey("*\\shell")); // only the verb's own keys go
    EXPECT_TRUE(registry.open.empty());
}

TEST_F(ExplorerKontextTest, RemovalDeletesCommandKeyThenVerbKeyClosingEveryHandle)
{
    modExplorerKontext::CreateExplorerMenu(registry, verb, command);
    registry.calls.clear();

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    // "Command" names the key created as "command".
    EXPECT_EQ(registry.calls,
              (std::vector<std::string>{"open *\\shell\\Tilgomatic 2", "delete Command", "close",
                                        "open *\\shell 2", "delete Tilgomatic", "close"}));
    EXPECT_FALSE(memory.hasKey("*\\shell\\Tilgomatic"));
    EXPECT_TRUE(registry.open.empty());
}

TEST_F(ExplorerKontextTest, RemovingWithoutVerbKeyChangesNothing)
{
    modExplorerKontext::SetExplorerMenu(registry, "Other", command);
    registry.calls.clear();

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_EQ(registry.calls, std::vector<std::string>{"open *\\shell\\Tilgomatic 2"});
    EXPECT_EQ(memory.value("*\\shell\\Other\\command"), command + Placeholder);
}

TEST_F(ExplorerKontextTest, AVerbKeyWithoutCommandKeyStays)
{
    Key key = Registry::NoKey;
    ASSERT_EQ(memory.createKey(Registry::ClassesRoot, "*\\shell\\Tilgomatic", &key), RegistryStatus::Success);
    modExplorerKontext::RemoveExplorerMenu(registry, verb);

    EXPECT_TRUE(memory.hasKey("*\\shell\\Tilgomatic"));
    EXPECT_EQ(std::count(registry.calls.begin(), registry.calls.end(), "delete Tilgomatic"), 0);
    EXPECT_TRUE(registry.open.empty());
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
    EXPECT_TRUE(registry.open.empty());
}

TEST_F(ExplorerKontextTest, AFailedDeletionStopsTheRemovalAndStillClosesTheHandle)
{
    modExplorerKontext::CreateExplorerMenu(registry, verb, command);
    registry.calls.clear();
    registry.failDeleteOf = "Command";

    modExplorerKontext::RemoveExplorerMenu(registry, verb);
    EXPECT_EQ(registry.calls,
              (std::vector<std::string>{"open *\\shell\\Tilgomatic 2", "delete Command", "close"}));
    EXPECT_TRUE(memory.hasKey("*\\shell\\Tilgomatic\\command"));
    EXPECT_TRUE(registry.open.empty());
}

// The entry the main window registers: on Linux the path and "1%", which the intake drops again; on
// Windows path and file in quotes, so that blanks in either keep them whole and no "%" stands alone.
TEST(ExplorerKontextCommandTest, TheProgramsEntryFitsThePlatformsShell)
{
    const ProgramInfo program = ProgramInfo::of(osPath("/opt/Tilgomatic 1.0/tilgo.matic"), {}, osPath("/"));
    const std::string path = osText("/opt/Tilgomatic 1.0/tilgo.matic");
    for (const bool windows : {false, true})
        EXPECT_EQ(
            modExplorerKontext::commandValue(modExplorerKontext::programCommand(program, windows), windows),
            windows ? '"' + path + "\" \"%1\"" : path + " 1% %1");
    EXPECT_EQ(modExplorerKontext::commandValue("x"), "x" + Placeholder);
}
