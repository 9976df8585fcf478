// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/MenuRegistry.h"
#include "ActionFolders.h"

namespace {

using MenuRegistryTest = ActionFolders;

const std::string program = "/opt/tilgomatic/tilgomatic";
const std::string commandKey = "*\\shell\\Tilgomatic\\command";

} // namespace

// Only a command of this program under a verb's command key reaches the menus.
TEST_F(MenuRegistryTest, OnlyThisProgramsCommandUnderAVerbIsShown)
{
    FileManagerActions fileManagers = actions();
    MenuRegistry registry(fileManagers, program);
    const struct
    {
        std::string key;
        int type;
        std::string data;
        long status;
    } cases[] = {
        {"*\\shell\\Tilgomatic", Registry::StringValue, program + " 1% %1", RegistryStatus::AccessDenied},
        {"txtfile\\shell\\Tilgomatic\\command", Registry::StringValue, program + " %1",
         RegistryStatus::AccessDenied},
        {commandKey, Registry::StringValue, "  %1", RegistryStatus::AccessDenied},
        {commandKey, Registry::StringValue, "/usr/bin/other %1", RegistryStatus::AccessDenied},
        {commandKey, 2, program + " 1% %1", RegistryStatus::AccessDenied},
        {"*\\Shell\\Tilgomatic\\Command", Registry::StringValue, program + " 1% %1", RegistryStatus::Success},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(registry.setValue(Registry::ClassesRoot, c.key, c.type, c.data), c.status) << c.key;
        EXPECT_EQ(nameExists(dolphin()), c.status == RegistryStatus::Success) << c.key;
    }
}

// The files are the record: a verb key is there while its entries are, and goes with them.
TEST_F(MenuRegistryTest, KeysExistWhileTheEntriesDo)
{
    FileManagerActions fileManagers = actions();
    MenuRegistry registry(fileManagers, program);
    Registry::Key shell = Registry::NoKey;
    ASSERT_EQ(registry.openKey(Registry::ClassesRoot, "*\\shell", 0, 2, &shell), RegistryStatus::Success);
    const auto open = [&](const std::string& key) {
        Registry::Key handle = Registry::NoKey;
        const long status = registry.openKey(Registry::ClassesRoot, key, 0, 2, &handle);
        if (status == RegistryStatus::Success)
            registry.closeKey(handle);
        return status;
    };

    EXPECT_EQ(open("*\\shell\\Tilgomatic"), RegistryStatus::FileNotFound);
    EXPECT_EQ(registry.deleteKey(shell, "Tilgomatic\\command"), RegistryStatus::FileNotFound);
    ASSERT_EQ(registry.setValue(Registry::ClassesRoot, commandKey, Registry::StringValue, program + " 1% %1"),
              RegistryStatus::Success);
    EXPECT_EQ(open("*\\shell\\tilgomatic"), RegistryStatus::Success);
    EXPECT_EQ(open("*\\shell\\Tilgomatic\\DropTarget"), RegistryStatus::FileNotFound);
    EXPECT_EQ(registry.deleteKey(shell, "Tilgomatic"), RegistryStatus::AccessDenied);

    QFile::remove(dolphin()); // one file manager's entry removed by hand: the verb is still registered
    EXPECT_EQ(open("*\\shell\\Tilgomatic"), RegistryStatus::Success);
    EXPECT_EQ(registry.deleteKey(shell, "Tilgomatic\\Command"), RegistryStatus::Success);
    for (const QString& path : separateFiles())
        EXPECT_FALSE(nameExists(path)) << path.toStdString();
    EXPECT_EQ(open("*\\shell\\Tilgomatic"), RegistryStatus::FileNotFound);
    EXPECT_EQ(registry.closeKey(shell), RegistryStatus::Success);
    EXPECT_EQ(registry.closeKey(shell), RegistryStatus::InvalidHandle);
}
