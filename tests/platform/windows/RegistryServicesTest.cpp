// SPDX-License-Identifier: GPL-3.0-or-later
// The options and the context-menu entry in the real registry (the test's Wine prefix), through the
// window's own decision: what lands where, and what the removal leaves.
#include "model/WindowOptions.h"
#include "platform/ProgramInfo.h"
#include "platform/windows/RegistrySettingsStore.h"
#include "platform/windows/WindowsRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const std::wstring Settings = L"Software\\VB and VBA Program Settings\\";
const std::wstring Options = Settings + L"tilgomatic-test\\Options";
const std::wstring VerbKey = L"Software\\Classes\\*\\shell\\Tilgomatic";

// A REG_SZ value of an HKEY_CURRENT_USER key (name null: its default value); nullopt when missing.
std::optional<std::wstring> stored(const std::wstring& key, const wchar_t* name = nullptr)
{
    wchar_t buffer[1024];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes))
        return std::nullopt;
    return std::wstring(buffer);
}

class RegistryServicesTest : public ::testing::Test
{
protected:
    void SetUp() override { TearDown(); }
    // Only this test's keys, and the ones above them while they are empty.
    void TearDown() override
    {
        for (const std::wstring& key :
             {VerbKey, Settings + L"tilgomatic-test", Settings + L"tilg\u00f6matic-test"})
            RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        for (const wchar_t* key : {L"Software\\Classes\\*\\shell", L"Software\\Classes\\*",
                                   L"Software\\VB and VBA Program Settings"})
            RegDeleteKeyW(HKEY_CURRENT_USER, key);
    }
};

} // namespace

// Ticked: the verb's command quotes program and file, so that blanks keep them whole; the wish is stored.
// Ticked again: still the one entry. Unticked: both keys go, "*\shell" stays, the wish reads "0".
TEST_F(RegistryServicesTest, TheExplorerBoxWritesTheUsersEntryAndRemovesItWhole)
{
    const ProgramInfo program =
        ProgramInfo::of(L"C:\\Program Files\\Tilgom\u00e4tic 1.0\\tilgomatic-test.exe", {}, L"C:\\");
    WindowsRegistry registry;
    RegistrySettingsStore settings;
    WindowOptions options(settings, registry, program, false);
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(options.explorerClicked(true));
        EXPECT_EQ(stored(VerbKey + L"\\command"),
                  L"\"C:\\Program Files\\Tilgom\u00e4tic 1.0\\tilgomatic-test.exe\" \"%1\"");
        EXPECT_FALSE(stored(VerbKey)); // no text of its own: Explorer shows the key's name
        EXPECT_EQ(stored(Options, L"ExplorerMnu"), L"1");
    }
    EXPECT_FALSE(options.explorerClicked(false));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, VerbKey.c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(stored(Options, L"ExplorerMnu"), L"0");
}

// Texts round-trip under the application's own key, where the original program kept them too: what it
// stored there reads back. What is missing or under an unusable name gives the default.
TEST_F(RegistryServicesTest, SettingsRoundTripAndReadWhatEarlierVersionsStored)
{
    RegistrySettingsStore settings;
    const struct
    {
        const char* application;
        const char* key;
        const char* value;
    } rows[] = {
        {"tilgomatic-test", "QuitAction", "1"},
        {"tilgomatic-test", "BGColor", "&H8000000F"},
        {"tilgomatic-test", "BGColor", "&H00FFFFFF"}, // overwrites
        {"tilg\u00f6matic-test", "BGColor", "Gr\u00fc\u00dfe \u20ac"},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(settings.save(row.application, "Options", row.key, row.value));
        EXPECT_EQ(settings.read(row.application, "Options", row.key, "-"), row.value);
    }
    EXPECT_EQ(stored(Settings + L"tilg\u00f6matic-test\\Options", L"BGColor"), L"Gr\u00fc\u00dfe \u20ac");

    const wchar_t earlier[] = L"&H8000000F";
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, Options.c_str(), L"BGColor", REG_SZ, earlier, sizeof earlier), 0);
    EXPECT_EQ(settings.read("tilgomatic-test", "Options", "BGColor", ""), "&H8000000F");
    const char* const unreadable[][3] = {{"tilgomatic-test", "Options", "Missing"},
                                         {"tilgomatic-test-none", "Options", "BGColor"},
                                         {"", "Options", "BGColor"},
                                         {"tilgomatic-test\\Options", "..", "BGColor"}};
    for (const auto& row : unreadable)
        EXPECT_EQ(settings.read(row[0], row[1], row[2], "-"), "-")
            << row[0] << '/' << row[1] << '/' << row[2];
    EXPECT_FALSE(settings.save("tilgomatic-test\\x", "Options", "BGColor", "x"));
}
