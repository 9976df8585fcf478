// SPDX-License-Identifier: GPL-3.0-or-later
// The running program's paths and arguments keep bytes that are no UTF-8.

#include "platform/linux/RunningProgram.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

TEST(RunningProgram, KeepsTheExactBytesOfItsFolderAndArguments)
{
    QTemporaryDir temporary;
    const QByteArray folder = QFile::encodeName(temporary.path()) + "/K\xe4se";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const QByteArray previous = QFile::encodeName(QDir::currentPath());
    ASSERT_EQ(::chdir(folder.constData()), 0);
    const char* const argv[] = {"tilgomatic", "-reverse", "K\xe4se.txt"};
    const ProgramInfo info = RunningProgram::info(3, argv);
    ASSERT_EQ(::chdir(previous.constData()), 0);

    EXPECT_EQ(info.workingFolder.native(), folder.toStdString());
    EXPECT_EQ(info.arguments, (std::vector<std::string>{"-reverse", "K\xe4se.txt"}));
    EXPECT_EQ(info.executableName, "test_platform");
    EXPECT_EQ(info.programFolder / "test_platform", info.executablePath);
    EXPECT_EQ(::access(info.executablePath.c_str(), X_OK), 0);
}
