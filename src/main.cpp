#include "platform/ProgramInfo.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/gui/LinuxDesktop.h"
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
#include <QLibraryInfo>
#include <QLocale>
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
    // Qt's own dialogs (the file chooser where the desktop has none) speak the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    const ProgramInfo program = ProgramInfo::current(argc, argv);
    LinuxFileSystem fileSystem;
    IniSettingsStore settings;
    const std::unique_ptr<HiveRegistry> registry = HiveRegistry::forUser(program.executableName);
    LinuxDesktop desktop;
    FileChooserDialog browseDialog;

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
    QObject::connect(&termination, &TerminationSignals::requested, &window, &frmMain::closeWhenRunEnds);
    return app.exec();
}
