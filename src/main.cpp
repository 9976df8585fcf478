// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/WindowOptions.h"
#include "platform/CoreBridge.h"
#include "platform/NativePath.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/linux/ActionCommand.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/FileManagerSync.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/MenuRegistry.h"
#include "platform/linux/RootSession.h"
#include "platform/linux/RunningProgram.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/UserFolders.h"
#include "shell/ExplorerKontext.h"
#include "ui/MainServices.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

// Starts Tilgomatic: the one window, loaded with the options and the file named on the command line.
int main(int argc, char** argv)
{
    // Qt sees only the program's name: every argument is the user's (a file may be called "-reverse"),
    // and Qt takes its settings from its environment variables (QT_QPA_PLATFORM, QT_SCALE_FACTOR ...).
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    QApplication::setFont(frmMain::dialogFont());
    // Qt's own dialogs (the file chooser, its buttons and messages) speak German like the window around
    // them, whatever the locale: the program has no other language, so its user reads German anyway, and
    // a chooser in the locale's language would mix two languages in one program (an English one under
    // LANG=C, as in many terminals). Numbers still follow the locale.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    const ProgramInfo program = RunningProgram::info(argc, argv);
    LinuxFileSystem fileSystem;
    IniSettingsStore settings;
    FileChooserDialog browseDialog(fileSystem);

    // The context-menu entry is the file managers' own action files, for this program only.
    FileManagerActions actions(UserFolders::dataHome(), UserFolders::configHome());
    MenuRegistry registry(actions, program.executablePath);
    // As root for another user the entries would land in root's home: they are left alone then.
    const bool rootForOtherUser = RootSession::currentForOtherUser();
    const std::optional<ActionCommand> command = ActionCommand::fromValue(
        CoreBridge::fromPath(program.executablePath),
        NativePath::fromNative(QByteArray::fromStdString(
            modExplorerKontext::commandValue(modExplorerKontext::programCommand(program)))));
    std::unique_ptr<FileManagerSync> shellEntries;
    if (!rootForOtherUser && command) {
        FileManagerSync::removeOldRecord(
            UserFolders::dataHome(),
            NativePath::fromNative(QByteArray::fromStdString(program.executableName)));
        shellEntries = std::make_unique<FileManagerSync>(
            actions, CoreBridge::fromText(std::string(WindowOptions::ExplorerVerb)), *command,
            UserFolders::configHome());
    }

    const MainServices services{fileSystem, settings,         registry,          browseDialog,
                                program,    rootForOtherUser, shellEntries.get()};
    frmMain window(services);
    window.Form_Initialize();
    window.Form_Load();
    window.show();
    // A logout, Ctrl+C or a closed terminal ends the program as its close box does: a running delete
    // command finishes the file first.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &window, &frmMain::closeWhenRunEnds);
    return app.exec();
}
