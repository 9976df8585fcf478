#include "platform/ProgramInfo.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/gui/LinuxDesktop.h"
#include "platform/linux/HiveRegistry.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LinuxFileSystem.h"
#include "ui/MainServices.h"
#include "ui/RootSession.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

// Starts Tilgomatic: the one window, loaded with the options and the file named on the command line.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setFont(frmMain::dialogFont());
    // Qt's own dialogs (the file chooser where the desktop has none) speak the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    const ProgramInfo program = ProgramInfo::current();
    LinuxFileSystem fileSystem;
    IniSettingsStore settings;
    const std::unique_ptr<HiveRegistry> registry = HiveRegistry::forUser(program.executableName);
    LinuxDesktop desktop;
    FileChooserDialog browseDialog;

    const MainServices services{
        fileSystem, settings, *registry, desktop, browseDialog, program, RootSession::currentForOtherUser()};
    frmMain window(services);
    window.Form_Initialize();
    window.Form_Load();
    window.show();
    return app.exec();
}
