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

// Removes path and all below it. (The runtime's std::filesystem lists no folder whose path is longer than
// 260 characters, which a test that failed halfway may have left.)
void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path + L"\\" + name);
            else
                DeleteFileW((path + L"\\" + name).c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

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
        {LR"("C:\Program Files\Tilgomatic\tilgomatic.exe" "C:\Users\x\a b.txt")", LR"("C:\Users\x\a b.txt")"},
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

// A copy deep in folders whose names hold umlauts and blanks (its path just under the 260 characters
// Windows starts a program from), started from yet another folder, with the command line the context-menu
// entry makes (the test's own argument before it) and with only the test's argument.
TEST(WindowsProgramTest, TheRunningProgramKnowsItsPathArgumentsAndFolder)
{
    const fs::path base = fs::temp_directory_path() / L"tilgomatic-program-test";
    removeTree(base.native());
    const struct Removal
    {
        const fs::path& base;
        ~Removal() { removeTree(base.native()); }
    } removal{base};
    const std::wstring name = L"tilgo m\u00e4tic.exe";
    fs::path folder = base;
    for (int i = 0; (folder / name).native().size() < 230; ++i)
        folder /= L"Ordner f\u00fcr Gr\u00f6\u00dfe " + std::to_wstring(i);
    const fs::path working = base / L"Arbeit \u00e4";
    fs::create_directories(folder);
    fs::create_directories(working);
    const fs::path copy = folder / name;
    fs::copy_file(thisExecutable(), copy);
    const fs::path report = base / L"report.txt";
    SetEnvironmentVariableW(ReportVariable, report.c_str());

    const std::wstring filter = L"--gtest_filter=WindowsProgramTest.ReportForTheStartingTest";
    const struct
    {
        std::wstring tail; // the command line after the quoted program
        std::string arguments;
    } rows[] = {
        {L" " + filter + L" \"C:\\Users\\Gr\u00fc\u00dfe\\a  b.txt\" ",
         "1\n" + NativeText::fromUtf16(filter) + " \"C:\\Users\\Gr\u00fc\u00dfe\\a  b.txt\" \n"},
        {L"\t  " + filter, "1\n" + NativeText::fromUtf16(filter) + "\n"},
    };
    for (const auto& row : rows) {
        fs::remove(report);
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
}
