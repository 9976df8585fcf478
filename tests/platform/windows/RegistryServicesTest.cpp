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
const std::wstring VerbKey = L"Software\\Classes\\*\\shell\\Tilgomatic";
// Application names only these tests use, one with umlauts.
const std::string TestApplication = "tilgomatic-test";
const std::string UmlautApplication = "tilgom\u00e4tic-test \u00d6\u00df";
const std::wstring UmlautApplicationWide = L"tilgom\u00e4tic-test \u00d6\u00df";

// The default value (name empty) or a named REG_SZ value of an HKEY_CURRENT_USER key; nullopt when missing.
std::optional<std::wstring> stored(const std::wstring& key, const wchar_t* name = nullptr)
{
    wchar_t buffer[1024];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

bool keyExists(const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

class RegistryServicesTest : public ::testing::Test
{
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, VerbKey.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, (Settings + L"tilgomatic-test").c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, (Settings + UmlautApplicationWide).c_str());
        // The keys above them go only while empty: then nothing else had put anything there.
        for (const wchar_t* key : {L"Software\\Classes\\*\\shell", L"Software\\Classes\\*",
                                   L"Software\\VB and VBA Program Settings"})
            RegDeleteKeyW(HKEY_CURRENT_USER, key);
    }
};

} // namespace

// Ticked: the verb's command quotes the program and the file, so that paths with blanks arrive whole, and
// the wish is stored first. Unticked: both keys go, "*\shell" stays, the wish reads "0".
TEST_F(RegistryServicesTest, TheExplorerBoxWritesTheUsersEntryAndRemovesItWhole)
{
    const ProgramInfo program =
        ProgramInfo::of(L"C:\\Program Files\\Tilgom\u00e4tic 1.0\\tilgomatic-test.exe", {}, L"C:\\");
    const std::wstring command = L"\"C:\\Program Files\\Tilgom\u00e4tic 1.0\\tilgomatic-test.exe\" \"%1\"";
    WindowsRegistry registry;
    RegistrySettingsStore settings;
    WindowOptions options(settings, registry, program, false);

    for (int round = 0; round < 2; ++round) { // registering again leaves the one entry
        EXPECT_TRUE(options.explorerClicked(true));
        EXPECT_EQ(stored(VerbKey + L"\\command"), command);
        EXPECT_FALSE(stored(VerbKey)); // no text of its own: Explorer shows the key's name
        EXPECT_EQ(stored(Settings + L"tilgomatic-test\\Options", L"ExplorerMnu"), L"1");
        EXPECT_TRUE(options.explorerEntry());
    }

    EXPECT_FALSE(options.explorerClicked(false));
    EXPECT_FALSE(keyExists(VerbKey + L"\\command"));
    EXPECT_FALSE(keyExists(VerbKey));
    EXPECT_TRUE(keyExists(L"Software\\Classes\\*\\shell"));
    EXPECT_EQ(stored(Settings + L"tilgomatic-test\\Options", L"ExplorerMnu"), L"0");
    EXPECT_FALSE(options.explorerClicked(false)); // nothing left to remove: nothing changes
    EXPECT_FALSE(keyExists(VerbKey));
}

// The registry keeps the interface's rules: a verb key that holds another subkey stays, handles it did not
// give out and types other than text are refused, and the statuses are Windows' own.
TEST_F(RegistryServicesTest, TheRegistryRefusesWhatTheInterfaceDoesNotAllow)
{
    WindowsRegistry registry;
    const std::string verb = "*\\shell\\Tilgomatic";
    ASSERT_EQ(registry.setValue(Registry::ClassesRoot, verb + "\\command", Registry::StringValue, "x %1"), 0);
    ASSERT_EQ(registry.setValue(Registry::ClassesRoot, verb + "\\ddeexec", Registry::StringValue, "y"), 0);

    Registry::Key shell = Registry::NoKey;
    ASSERT_EQ(registry.openKey(Registry::ClassesRoot, "*\\SHELL", 0, Registry::SetValueAccess, &shell), 0);
    EXPECT_NE(registry.deleteKey(shell, "Tilgomatic"), 0);
    EXPECT_TRUE(keyExists(VerbKey + L"\\command"));
    EXPECT_EQ(registry.closeKey(shell), 0);

    EXPECT_EQ(registry.closeKey(shell), RegistryStatus::InvalidHandle); // closed already
    EXPECT_EQ(registry.deleteKey(shell, "Tilgomatic"), RegistryStatus::InvalidHandle);
    Registry::Key key = Registry::NoKey;
    EXPECT_EQ(registry.createKey(12345, "x", &key), RegistryStatus::InvalidHandle);
    EXPECT_EQ(registry.openKey(Registry::ClassesRoot, verb + "\\nothing", 0, Registry::SetValueAccess, &key),
              RegistryStatus::FileNotFound);
    EXPECT_EQ(registry.setValue(Registry::ClassesRoot, verb + "\\command", 4 /* REG_DWORD */, "1"),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(stored(VerbKey + L"\\command"), L"x %1");
}

// Values round-trip as text under the application's own key, the location the original program used:
// what it stored there reads back, and what cannot be read gives the default.
TEST_F(RegistryServicesTest, SettingsRoundTripAndReadWhatEarlierVersionsStored)
{
    RegistrySettingsStore settings;
    const struct
    {
        std::string application;
        const char* key;
        const char* value;
    } rows[] = {
        {TestApplication, "QuitAction", "1"},
        {TestApplication, "BGColor", "&H8000000F"},
        {TestApplication, "BGColor", "&H00FFFFFF"}, // overwrites
        {UmlautApplication, "ExplorerMnu", "Gr\u00fc\u00dfe \u20ac"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_TRUE(settings.save(row.application, "Options", row.key, row.value));
        EXPECT_EQ(settings.read(row.application, "Options", row.key, "default"), row.value);
    }
    EXPECT_EQ(stored(Settings + UmlautApplicationWide + L"\\Options", L"ExplorerMnu"),
              L"Gr\u00fc\u00dfe \u20ac");

    // As the original program left it: a REG_SZ written with the system's own call.
    const std::wstring options = Settings + L"tilgomatic-test\\Options";
    const wchar_t earlier[] = L"&H8000000F";
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, options.c_str(), L"BGColor", REG_SZ, earlier, sizeof earlier), 0);
    EXPECT_EQ(settings.read(TestApplication, "Options", "BGColor", ""), "&H8000000F");
    const DWORD number = 1;
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, options.c_str(), L"QuitAction", REG_DWORD, &number, sizeof number),
        0);

    const struct
    {
        std::string application;
        const char* section;
        const char* key;
    } unreadable[] = {
        {TestApplication, "Options", "Missing"},
        {TestApplication, "Options", "QuitAction"}, // a number, no text
        {TestApplication, "Other", "BGColor"},
        {"tilgomatic-test-nothing", "Options", "BGColor"},
        {"", "Options", "BGColor"},
        {"tilgomatic-test\\Options", "..", "BGColor"},
    };
    for (const auto& row : unreadable) {
        SCOPED_TRACE(row.application + '/' + row.section + '/' + row.key);
        EXPECT_EQ(settings.read(row.application, row.section, row.key, "default"), "default");
    }
    EXPECT_FALSE(settings.save("", "Options", "BGColor", "x"));
    EXPECT_FALSE(settings.save("tilgomatic-test\\x", "Options", "BGColor", "x"));
    EXPECT_FALSE(keyExists(Settings + L"tilgomatic-test\\x"));
    EXPECT_FALSE(keyExists(Settings + L"tilgomatic-test-nothing"));
}
