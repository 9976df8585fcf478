// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/ScreenReader.h"

#include <oleacc.h>

namespace {

// A live region's text changed (winuser.h of Windows 8 on; MinGW's headers lack it), and the property that
// makes a control one, with its polite setting (UI Automation's LiveSetting).
constexpr DWORD LiveRegionChangedEvent = 0x8019;
constexpr MSAAPROPID LiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG PoliteLiveSetting = 1;

} // namespace

namespace ScreenReader {

bool listening()
{
    BOOL on = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &on, 0) && on;
}

void makeLiveRegion(HWND control)
{
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&services))))
        return;
    VARIANT polite{};
    polite.vt = VT_I4;
    polite.lVal = PoliteLiveSetting;
    services->SetHwndProp(control, DWORD(OBJID_CLIENT), CHILDID_SELF, LiveSettingProperty, polite);
    services->Release();
}

void announce(HWND control)
{
    NotifyWinEvent(LiveRegionChangedEvent, control, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace ScreenReader
