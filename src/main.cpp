#include "platform/ProgramInfo.h"
#include "platform/gui/LinuxDesktop.h"
#include "platform/gui/TreeBrowseDialog.h"
#include "platform/linux/HiveRegistry.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LinuxFileSystem.h"
#include "ui/MainServices.h"
#include "ui/RootSession.h"
#include "ui/frmMain.h"

#include <QApplication>

#include <memory>

// Starts Tilgomatic: the one window, loaded with the options and the file named on the command line.
int main(int argc, char** argv)
{
    // Qt sees only the program's name: every argument is the user's (a file may be called "-reverse"),
    // and Qt takes its settings from its environment variables (QT_QPA_PLATFORM, QT_SCALE_FACTOR ...).
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    QApplication::setFont(frmMain::dialogFont());

    const ProgramInfo program = ProgramInfo::current(argc, argv);
    LinuxFileSystem fileSystem;
    IniSettingsStore settings;
    const std::unique_ptr<HiveRegistry> registry = HiveRegistry::forUser(program.executableName);
    LinuxDesktop desktop;
    TreeBrowseDialog browseDialog;

    const MainServices services{
        fileSystem, settings, *registry, desktop, browseDialog, program, RootSession::currentForOtherUser()};
    frmMain window(services);
    window.Form_Initialize();
    window.Form_Load();
    window.show();
    return app.exec();
}
