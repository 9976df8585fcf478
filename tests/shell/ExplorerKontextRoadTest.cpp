// SPDX-License-Identifier: GPL-3.0-or-later
// The context menu through the Linux file managers, on real files.
#include "shell/ExplorerKontext.h"

#include "platform/CoreBridge.h"
#include "platform/NativePath.h"
#include "platform/ProgramInfo.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/MenuRegistry.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

// The whole road: ticking registers the program, a file manager's entry starts it with the chosen file,
// unticking removes the entries again. The program's folder holds a byte that is no UTF-8, its name a dot.
TEST(ExplorerKontextRoadTest, TheRegisteredEntryStartsTheProgramWithTheFileAndRemovalClearsIt)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString folder = temp.path() + NativePath::fromNative("/Programme 'x' $HOME 100% Gr\xf6\xdf"
                                                                "e");
    const QString executable = folder + QStringLiteral("/tilgo.bin");
    const ProgramInfo program = ProgramInfo::of(CoreBridge::toPath(executable), {}, "/");
    ASSERT_EQ(::mkdir(NativePath::toNative(folder).constData(), 0755), 0);
    writeFile(executable,
              "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$TILGO_STUB_RECORD\"\n", 0755);
    const QString chosen = temp.filePath(QStringLiteral("geheim \"alt\".txt"));
    writeFile(chosen, "");

    const QString dataHome = temp.filePath(QStringLiteral("data"));
    FileManagerActions actions(dataHome, temp.filePath(QStringLiteral("config")));
    actions.setThunarInstalled([] { return false; });
    MenuRegistry registry(actions, program.executablePath);

    modExplorerKontext::SetExplorerMenu(registry, "Tilgomatic", modExplorerKontext::programCommand(program));
    const QString script = dataHome + QStringLiteral("/nautilus/scripts/Tilgomatic");
    const QString record = temp.filePath(QStringLiteral("record"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TILGO_STUB_RECORD"), record);
    process.setProcessEnvironment(environment);
    process.start(script, {chosen});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(readFile(record), QByteArray("1%") + '\0' + chosen.toUtf8() + '\0');

    modExplorerKontext::SetExplorerMenu(registry, "Tilgomatic", "");
    EXPECT_FALSE(nameExists(script));
    EXPECT_FALSE(nameExists(dataHome + QStringLiteral("/kio/servicemenus/tilgomatic.desktop")));
    Registry::Key key = Registry::NoKey;
    EXPECT_EQ(registry.openKey(Registry::ClassesRoot, "*\\shell\\Tilgomatic", 0, 2, &key),
              RegistryStatus::FileNotFound);
}
