// SPDX-License-Identifier: GPL-3.0-or-later
// The target named on the command line, on the recording file system.
#include "platform/NativeText.h"
#include "support/OsPath.h"
#include "support/RecordingFileSystem.h"
#include "target/LongPathName.h"
#include "target/TargetIntake.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Kind = RecordingFileSystem::Kind;

const std::filesystem::path WorkingFolder = osPath("/work/dir");

struct CommandLineCase
{
    const char* name;
    std::vector<std::string> arguments;
    std::string expected;
};

void PrintTo(const CommandLineCase& c, std::ostream* os)
{
    *os << c.name;
}

class CommandLineText : public ::testing::TestWithParam<CommandLineCase>
{
};

// Texts without "~": no lookup takes place, so nothing depends on the disk.
TEST_P(CommandLineText, IsCleanedAndMadeAbsolute)
{
    RecordingFileSystem fileSystem;
    const CommandLineCase& c = GetParam();
    std::vector<std::string> arguments;
    for (const std::string& argument : c.arguments)
        arguments.push_back(osText(argument));
    EXPECT_EQ(TargetIntake::commandLineTarget(arguments, WorkingFolder, fileSystem), osPath(c.expected));
    // At most the look whether the text names something as it stands; no "~" lookup.
    EXPECT_LE(fileSystem.pathsOf(Kind::LongPathName).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineText,
    ::testing::Values(CommandLineCase{"none", {}, ""}, CommandLineCase{"oneEmpty", {""}, ""},
                      CommandLineCase{"onlyBlanks", {"   "}, ""},
                      CommandLineCase{"blankArguments", {" ", " "}, ""},
                      CommandLineCase{"blanksAround", {"  /a b/c.txt  "}, "/a b/c.txt"},
                      CommandLineCase{"splitPathJoined", {"/a", "b/c.txt"}, "/a b/c.txt"},
                      CommandLineCase{"quotedAround", {"\"/a b/c.txt\""}, "/a b/c.txt"},
                      CommandLineCase{"quotesInside", {"/a\"b/c\".txt"}, "/ab/c.txt"},
                      CommandLineCase{"quotesThenBlanks", {" \" /a.txt\" "}, "/work/dir/ /a.txt"},
                      CommandLineCase{"tabKept", {" /a/c.txt\t "}, "/a/c.txt\t"},
                      CommandLineCase{"leadingTabMakesItRelative", {"\t/a.txt"}, "/work/dir/\t/a.txt"},
                      CommandLineCase{"contextMenuWord", {"1%", "/path/file"}, "/path/file"},
                      CommandLineCase{"contextMenuWordOneArgument", {"1% /path/file"}, "/path/file"},
                      CommandLineCase{"contextMenuWordExtraBlanks", {"1%", "", " /path/file"}, "/path/file"},
                      CommandLineCase{"contextMenuWordQuotedPath", {"1%", "\"/a b/file\""}, "/a b/file"},
                      CommandLineCase{"contextMenuWordOnlyIsAName", {"1%", ""}, "/work/dir/1%"},
                      CommandLineCase{"wordBeforeRelativeNameIsPartOfIt", {"1% foo"}, "/work/dir/1% foo"},
                      CommandLineCase{"separateWordBeforeRelativeName", {"1%", "foo"}, "/work/dir/1% foo"},
                      CommandLineCase{"wordBeforeQuotedRelativeName", {"1%", "\"foo\""}, "/work/dir/1% foo"},
                      CommandLineCase{"wordBeforeBlankThenSlash", {"1%", "\" /x\""}, "/work/dir/1%  /x"},
                      CommandLineCase{"percentWordNotFollowedByBlank", {"1%x"}, "/work/dir/1%x"},
                      CommandLineCase{"bareWordIsAName", {"1%"}, "/work/dir/1%"},
                      CommandLineCase{"wordNotAtVeryStart", {" 1% a"}, "/work/dir/1% a"},
                      CommandLineCase{"wordOnlyOnce", {"1%", "1%", "/p"}, "/work/dir/1% 1% /p"},
                      CommandLineCase{"relative", {"file.txt"}, "/work/dir/file.txt"},
                      CommandLineCase{"relativeQuoted", {"\"rel name.txt\""}, "/work/dir/rel name.txt"},
                      CommandLineCase{"dotDotKeptRelative", {"sub/../file.txt"}, "/work/dir/sub/../file.txt"},
                      CommandLineCase{"dotDotKeptAbsolute", {"/a/b/../c"}, "/a/b/../c"},
                      CommandLineCase{"missingFileWithoutTildeKept", {"/no/such/file"}, "/no/such/file"}));

TEST(CommandLineTarget, JoinsAgainstAWorkingFolderWithTrailingSeparator)
{
    RecordingFileSystem fileSystem;
    EXPECT_EQ(TargetIntake::commandLineTarget({"x.txt"}, osPath("/"), fileSystem), osPath("/x.txt"));
}

// The Explorer's entry quotes every path; on Windows, where no name holds a quote, a quoted name with "~"
// is the file itself, not a short name to look up.
TEST(CommandLineTarget, QuotedWindowsNameWithTildeIsTakenAsItIs)
{
    if constexpr (!NativeText::WindowsPaths)
        GTEST_SKIP() << "Linux names may hold quotes";
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tilgo intake";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "Kopie~1 März.txt";
    std::ofstream(file) << "x";
    RecordingFileSystem fileSystem;
    EXPECT_EQ(
        TargetIntake::commandLineTarget({"\"" + NativeText::bytes(file) + "\""}, WorkingFolder, fileSystem),
        file);
    std::filesystem::remove_all(folder);
}

TEST(GetLongPath, EmptyForNothingAndForEmptyText)
{
    RecordingFileSystem fileSystem;
    EXPECT_EQ(modLongPathName::GetLongPath(fileSystem, "/no/such/thing~1"), "");
    EXPECT_EQ(modLongPathName::GetLongPath(fileSystem, ""), "");
    EXPECT_EQ(fileSystem.pathsOf(Kind::LongPathName).size(), 1u); // nothing to ask about the empty path
}

} // namespace
