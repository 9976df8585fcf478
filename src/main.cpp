#include "platform/ProgramInfo.h"
#include "platform/gui/LinuxDesktop.h"
#include "platform/gui/TreeBrowseDialog.h"
#include "platform/linux/FileManagerSync.h"
#include "platform/linux/HiveRegistry.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/UserFolders.h"
#include "ui/MainServices.h"
#include "ui/RootSession.h"
#include "ui/frmMain.h"

#include <QApplication>

#include <memory>

// Starts Tilgomatic: the one window, loaded with the options and the file named on the command line.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(frmMain::dialogFont());

    const ProgramInfo program = ProgramInfo::current();
    LinuxFileSystem fileSystem;
    IniSettingsStore settings;
    const std::unique_ptr<HiveRegistry> registry = HiveRegistry::forUser(program.executableName);
    LinuxDesktop desktop;
    TreeBrowseDialog browseDialog;

    // As root for another user the entries would land in root's home: they are left alone then.
    const bool rootForOtherUser = RootSession::currentForOtherUser();
    FileManagerSync shellEntries(*registry, UserFolders::configHome());

    const MainServices services{
        fileSystem,   settings, *registry,        desktop,
        browseDialog, program,  rootForOtherUser, rootForOtherUser ? nullptr : &shellEntries};
    frmMain window(services);
    window.Form_Initialize();
    window.Form_Load();
    window.show();
    // A logout, Ctrl+C or a closed terminal ends the program as its close box does: a running delete
    // command finishes the file first.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &window, &QWidget::close);
    return app.exec();
}
