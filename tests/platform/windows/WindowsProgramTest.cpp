// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/WindowsProgram.h"
#include "platform/NativeText.h"

#include <gtest/gtest.h>

// The text after the program's name on recorded command lines, split as the C runtime splits it.
TEST(WindowsProgramTest, TheArgumentTextIsWhatFollowsTheProgramsName)
{
    const wchar_t* const rows[][2] = {
        {LR"("C:\Program Files\Tilgomatic\tilgomatic.exe" "C:\Users\x\a b.txt")", LR"("C:\Users\x\a b.txt")"},
        {L"tilgomatic.exe \t C:\\a  b.txt  ", L"C:\\a  b.txt  "},
        {L"t.exe \u00e4\u00f6\u00fc.txt", L"\u00e4\u00f6\u00fc.txt"},
        {LR"("C:\x y\t.exe")", L""},
        {L"tilgomatic.exe   ", L""},
        {L"", L""},
        {LR"("C:\x y"z\t.exe rest)", L"rest"}, // a quote opens and closes inside the name
        {LR"(C:\x" y\t".exe "a")", LR"("a")"}, // the name's blank inside quotes belongs to it
        {LR"("C:\unclosed\t.exe rest)", L""},  // an open quote runs to the end
    };
    for (const auto& row : rows)
        EXPECT_EQ(WindowsProgram::argumentText(row[0]), row[1]) << NativeText::fromUtf16(row[0]);
}
