// SPDX-License-Identifier: GPL-3.0-or-later
// What the program learns of its own start: the command-line text after its name, its executable and its
// working folder, seen by a copy of this test program started with recorded command lines.
#include "platform/windows/WindowsProgram.h"
#include "platform/NativeText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Where the started copy writes what it found; set only in the copy.
const wchar_t* const ReportVariable = L"TILGOMATIC_PROGRAM_REPORT";

fs::path thisExecutable()
{
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    return fs::path(std::wstring(buffer, length));
}

} // namespace

TEST(WindowsProgramTest, TheArgumentTextIsWhatFollowsTheProgramsNameAsTheRuntimeSplitsIt)
{
    const struct
    {
        const wchar_t* commandLine;
        const wchar_t* text;
    } rows[] = {
        {LR"("C:\Program Files\Tilgomatic\tilgomatic.exe" 1% "C:\Users\x\a b.txt")",
         LR"(1% "C:\Users\x\a b.txt")"},
        {LR"(tilgomatic.exe   C:\a  b.txt  )", LR"(C:\a  b.txt  )"},
        {L"tilgomatic.exe\t\t\"a\"", L"\"a\""},
        {LR"("C:\x y\t.exe")", L""},
        {L"tilgomatic.exe", L""},
        {L"tilgomatic.exe   ", L""},
        {L"", L""},
        {LR"("C:\x y"z\t.exe rest)", L"rest"}, // a quote opens and closes inside the name
        {LR"(C:\x" y\t".exe "a")", LR"("a")"}, // the name's blank inside quotes belongs to it
        {LR"("C:\unclosed\t.exe rest)", L""},  // an open quote runs to the end
        {L"t.exe \u00e4\u00f6\u00fc.txt", L"\u00e4\u00f6\u00fc.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(NativeText::bytes(fs::path(row.commandLine)));
        EXPECT_EQ(WindowsProgram::argumentText(row.commandLine), std::wstring_view(row.text));
    }
}

// Run only in the started copy: writes its ProgramInfo, one item a line, for the test below.
TEST(WindowsProgramTest, ReportForTheStartingTest)
{
    const wchar_t* report = _wgetenv(ReportVariable);
    if (report == nullptr)
        GTEST_SKIP()
            << "runs only when started by WindowsProgramTest.TheRunningProgramKnowsItsPathArgumentsAndFolder";
    const ProgramInfo program = WindowsProgram::info();
    std::ofstream out(fs::path(report), std::ios::binary);
    out << NativeText::bytes(program.executablePath) << '\n'
        << program.executableName << '\n'
        << NativeText::bytes(program.programFolder) << '\n'
        << NativeText::bytes(program.workingFolder) << '\n'
        << program.arguments.size() << '\n';
    for (const std::string& argument : program.arguments)
        out << argument << '\n';
}

// A copy in a folder whose path is longer than 260 characters and holds umlauts and blanks, started from
// yet another folder, with the command line the context-menu entry makes and with none.
TEST(WindowsProgramTest, TheRunningProgramKnowsItsPathArgumentsAndFolder)
{
    const fs::path base = fs::temp_directory_path() / L"tilgomatic-program-test";
    fs::remove_all(base);
    fs::path folder = base;
    for (int i = 0; i < 12; ++i)
        folder /= L"Ordner f\u00fcr Gr\u00f6\u00dfe " + std::to_wstring(i);
    const fs::path working = base / L"Arbeit \u00e4";
    fs::create_directories(folder);
    fs::create_directories(working);
    const fs::path copy = folder / L"tilgo m\u00e4tic.exe";
    fs::copy_file(thisExecutable(), copy);
    ASSERT_GT(copy.native().size(), 300U);
    const fs::path report = base / L"report.txt";
    SetEnvironmentVariableW(ReportVariable, report.c_str());

    const std::wstring filter = L"--gtest_filter=WindowsProgramTest.ReportForTheStartingTest";
    const struct
    {
        std::wstring tail; // the command line after the quoted program
        std::string arguments;
    } rows[] = {
        {L" " + filter + LR"( 1% "C:\Users\Gr\u00fc\u00dfe\a  b.txt" )",
         "1\n" + NativeText::bytes(fs::path(filter)) + " 1% \"C:\\Users\\Gr\u00fc\u00dfe\\a  b.txt\" \n"},
        {L"   " + filter, "1\n" + NativeText::bytes(fs::path(filter)) + "\n"},
    };
    for (const auto& row : rows) {
        std::wstring commandLine = L"\"" + copy.native() + L"\"" + row.tail;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   working.c_str(), &startup, &process));
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);

        std::ifstream in(report, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), NativeText::bytes(copy) + "\ntilgo m\u00e4tic\n" + NativeText::bytes(folder) +
                                  '\n' + NativeText::bytes(working) + '\n' + row.arguments);
    }
    SetEnvironmentVariableW(ReportVariable, nullptr);
    fs::remove_all(base);
}
