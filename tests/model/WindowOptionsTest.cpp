// SPDX-License-Identifier: GPL-3.0-or-later
// The "Explorererweiterung" box's decision without a window: what is stored, what the registry gets, and
// the state the box shows afterwards.
#include "model/WindowOptions.h"
#include "platform/NativeText.h"
#include "platform/ProgramInfo.h"
#include "platform/SettingsStore.h"
#include "support/MemoryRegistry.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

namespace {

class MapSettings : public SettingsStore
{
public:
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override
    {
        const auto it = values.find(application + '/' + section + '/' + key);
        return it == values.end() ? defaultValue : it->second;
    }
    bool save(const std::string& application, const std::string& section, const std::string& key,
              const std::string& value) override
    {
        values[application + '/' + section + '/' + key] = value;
        return true;
    }
    std::map<std::string, std::string> values;
};

// A registry that refuses with an exception, as a broken platform layer might.
class ThrowingRegistry : public MemoryRegistry
{
public:
    long fail()
    {
        calls.push_back("refused");
        throw std::runtime_error("kaputt");
    }
    long createKey(Key, const std::string&, Key*) override { return fail(); }
    long openKey(Key, const std::string&, int, int, Key*) override { return fail(); }
};

const std::string CommandKey = "*\\shell\\Tilgomatic\\command";
const std::string Stored = "tilgo/Options/ExplorerMnu";
// The command key's data for the program below: on Windows its path and the placeholder quoted.
const std::string Entry = NativeText::WindowsPaths ? "\"/opt/tilgo/tilgo\" \"%1\"" : "/opt/tilgo/tilgo 1% %1";

TEST(WindowOptionsTest, TheExplorerBoxStoresTheWishAndChangesTheEntryUnlessRootActsForAnotherUser)
{
    const ProgramInfo program = ProgramInfo::of("/opt/tilgo/tilgo", {}, "/");
    const struct
    {
        bool rootForOtherUser;
        bool throwing;
        const char* before; // stored before the click; nullptr: nothing
        bool ticked;
        bool shown;
        const char* after;
        bool entry;
    } cases[] = {
        {false, false, nullptr, true, true, "1", true},      {false, false, "1", false, false, "0", false},
        {false, true, nullptr, true, true, "1", false},      {false, true, "1", false, false, "0", false},
        {true, false, nullptr, true, false, nullptr, false}, {true, false, "1", false, true, "1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rootForOtherUser << c.throwing << c.ticked);
        MapSettings settings;
        if (c.before)
            settings.values[Stored] = c.before;
        MemoryRegistry memory;
        ThrowingRegistry throwing;
        MemoryRegistry& registry = c.throwing ? throwing : memory;
        WindowOptions options(settings, registry, program, c.rootForOtherUser);
        EXPECT_EQ(options.explorerEntryChangeable(), !c.rootForOtherUser);

        EXPECT_EQ(options.explorerClicked(c.ticked), c.shown);
        EXPECT_EQ(options.explorerEntry(), c.shown);
        EXPECT_EQ(settings.values.count(Stored) ? settings.values[Stored] : "none",
                  c.after ? c.after : "none");
        EXPECT_EQ(registry.hasKey(CommandKey), c.entry);
        EXPECT_EQ(registry.value(CommandKey), c.entry ? Entry : std::string());
        EXPECT_EQ(registry.calls.empty(), c.rootForOtherUser);
    }
}

} // namespace
