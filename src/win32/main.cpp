// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/LocaleNumbers.h"
#include "platform/windows/OpenFileDialog.h"
#include "platform/windows/RegistrySettingsStore.h"
#include "platform/windows/ShellHelp.h"
#include "platform/windows/WindowsFileSystem.h"
#include "platform/windows/WindowsProgram.h"
#include "platform/windows/WindowsRegistry.h"
#include "shell/HelpFile.h"
#include "win32/WindowServices.h"
#include "win32/frmMain.h"

#include <windows.h>

#include <objbase.h>

// Starts Tilgomatic: the one window, loaded with the options and the file named on the command line.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int nShowCmd)
{
    // Laid out afresh on every screen it is moved to, at that screen's pixel density (the manifest says
    // so too, for the systems that read it there).
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    // The open dialog and the shell's help viewer are COM objects of this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    const ProgramInfo program = WindowsProgram::info();
    WindowsFileSystem fileSystem;
    RegistrySettingsStore settings;
    WindowsRegistry registry;
    OpenFileDialog browseDialog;
    // Windows knows no root acting for another user, and its context-menu entry is the registry's alone.
    const WindowServices services{
        {fileSystem, settings, registry, browseDialog, program, false, nullptr, LocaleNumbers::user()},
        [&program](HWND owner) {
            // A missing help file or viewer: the shell's answer shows nothing.
            ShellHelp::open(HelpFile::chmPath(program.programFolder), owner);
        }};
    int exitCode = 0;
    {
        frmMain window(services);
        window.Form_Load();
        window.show(nShowCmd);
        MSG message{};
        while (window.isOpen()) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got <= 0) {
                exitCode = got == 0 ? int(message.wParam) : 1;
                break;
            }
            window.dispatch(message);
        }
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
