// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/frmMain.h"

#include "model/WindowLayout.h"
#include "platform/ColorText.h"
#include "platform/NativeText.h"
#include "win32/GdiTextMeasure.h"
#include "win32/ResourceIds.h"
#include "win32/ScreenReader.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <stdexcept>

using Kind = ControlLayout::Kind;

namespace {

constexpr wchar_t WindowClass[] = L"TilgomaticMain";
// The worker thread's word that the run has ended.
constexpr UINT RunFinishedMessage = WM_APP + 1;
constexpr UINT_PTR ProgressTimer = 1;
constexpr int FirstControlId = 100;

// The dialog face (Microsoft Sans Serif on Windows, Tahoma under Wine) at 7.5 points, 10 pixels at 96 dots
// per inch as the Linux window's font, rounded down at other densities: one line fits the one-line labels,
// "Nach Löschen schliessen" its check box and the three lines of the success text lblEmpty. At 8 points
// Tahoma's success text takes a line more than lblEmpty holds at 96 and 120 dots per inch.
constexpr wchar_t DialogFace[] = L"MS Shell Dlg";
constexpr int DialogPixelsAt96 = 10;

HINSTANCE instance()
{
    return GetModuleHandleW(nullptr);
}

COLORREF colorOf(std::uint32_t rgb)
{
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

std::wstring wide(std::string_view utf8)
{
    return NativeText::toUtf16(utf8);
}

std::wstring windowText(HWND hwnd)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

// A key as the layout writes it ("Ctrl+O", "Alt+D", "F1"); empty for one the layout has no use for.
std::string keyText(UINT key, bool ctrl, bool alt, bool shift)
{
    std::string text = std::string(ctrl ? "Ctrl+" : "") + (alt ? "Alt+" : "") + (shift ? "Shift+" : "");
    if (key >= VK_F1 && key <= VK_F24)
        return text + "F" + std::to_string(key - VK_F1 + 1);
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return text + char(key);
    return {};
}

bool pressed(int key)
{
    return GetKeyState(key) < 0;
}

} // namespace

frmMain::frmMain(const WindowServices& services)
    : m_numbers(services.core.numbers)
    , m_openHelp(services.openHelp)
    // 96 dots per inch until the window knows its screen (applyDpi).
    , m_presenter(*this, services.core, WindowLayout::twipsPerPixelAt(USER_DEFAULT_SCREEN_DPI))
    , m_backColor(colorOf(WindowLayout::WindowColor))
    , m_backBrush(CreateSolidBrush(m_backColor))
    , m_ownBrush(true)
{
    Form_Initialize();

    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &frmMain::windowProc;
        windowClass.hInstance = instance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = WindowClass;
        return RegisterClassExW(&windowClass);
    }();
    static_cast<void>(registered);

    // A fixed dialog border with a close button alone; shown in the task bar.
    CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, WindowClass,
                    wide(WindowLayout::FirstTitle).c_str(), WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                    CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance(), this);
    if (!m_hwnd)
        throw std::runtime_error("the main window cannot be created");

    createControls();
    addToolTips();
    m_presenter.Form_Initialize();
    const UINT dpi = GetDpiForWindow(m_hwnd);
    applyDpi(dpi ? dpi : USER_DEFAULT_SCREEN_DPI, nullptr);

    // Centred on the work area of its screen.
    RECT window{};
    GetWindowRect(m_hwnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        const RECT& work = monitor.rcWork;
        const int width = window.right - window.left;
        const int height = window.bottom - window.top;
        SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    DragAcceptFiles(m_hwnd, TRUE);
}

frmMain::~frmMain()
{
    // A run still going is finished first: the file is never abandoned halfway.
    m_presenter.waitForRun();
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    if (m_font)
        DeleteObject(m_font);
    if (m_ownBrush)
        DeleteObject(m_backBrush);
    for (const HICON icon : {m_bigIcon, m_smallIcon})
        if (icon)
            DestroyIcon(icon);
    for (const Control& control : m_controls)
        if (control.picture)
            DestroyIcon(control.picture);
}

HWND frmMain::control(std::string_view name) const
{
    return m_controls.at(indexOf(name)).hwnd;
}

std::size_t frmMain::indexOf(std::string_view name)
{
    return std::size_t(&WindowLayout::control(name) - WindowLayout::controls().data());
}

RECT frmMain::controlRect(const ControlLayout& row) const
{
    int left = twipsToPixels(row.left);
    int top = twipsToPixels(row.top) - twipsToPixels(row.raise);
    if (row.inPanel) {
        const ControlLayout& panel = WindowLayout::control("Frame1");
        left += twipsToPixels(panel.left);
        top += twipsToPixels(panel.top);
    }
    return {left, top, left + twipsToPixels(row.width), top + twipsToPixels(row.height)};
}

std::unique_ptr<GdiTextMeasure> frmMain::textMeasure(std::string_view name) const
{
    const ControlLayout& row = WindowLayout::control(name);
    const RECT box = controlRect(row);
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    const int edge = GetSystemMetricsForDpi(SM_CXEDGE, m_dpi);
    if (row.kind == Kind::CheckBox) {
        width -= GetSystemMetricsForDpi(SM_CXMENUCHECK, m_dpi) + edge;
    } else if (row.kind == Kind::Button) {
        width -= 4 * edge;
        height -= 2 * edge;
    }
    return std::make_unique<GdiTextMeasure>(
        m_font, width, height, row.notice ? GdiTextMeasure::Align::Center : GdiTextMeasure::Align::Left);
}

void frmMain::createControls()
{
    const auto rows = WindowLayout::controls();
    m_controls.reserve(rows.size());
    for (const ControlLayout& row : rows)
        m_controls.push_back({&row, nullptr, nullptr, std::nullopt});

    // Front to back: within each container the controls that lie in front first, then the layout's order.
    std::vector<std::size_t> windowRows;
    std::vector<std::size_t> panelRows;
    for (std::size_t i = 0; i < rows.size(); ++i)
        (rows[i].inPanel ? panelRows : windowRows).push_back(i);
    const auto frontFirst = [&rows](std::size_t a, std::size_t b) {
        return rows[a].inFront && !rows[b].inFront;
    };
    std::stable_sort(windowRows.begin(), windowRows.end(), frontFirst);
    std::stable_sort(panelRows.begin(), panelRows.end(), frontFirst);
    for (const std::size_t i : windowRows) {
        if (rows[i].name == "Frame1")
            m_stacking.insert(m_stacking.end(), panelRows.begin(), panelRows.end());
        m_stacking.push_back(i);
    }

    HWND previous = HWND_TOP;
    for (const std::size_t i : m_stacking) {
        const ControlLayout& row = rows[i];
        if (row.kind == Kind::Frame)
            continue; // drawn by the window: a frame holds nothing a screen reader could reach
        // Siblings overlap (the pictures and the size, the question and the hidden progress): each paints
        // only where no sibling lies in front of it.
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (row.hidden ? 0 : WS_VISIBLE);
        const wchar_t* windowClass = WC_BUTTONW;
        std::wstring text = wide(row.caption);
        switch (row.kind) {
        case Kind::Button:
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case Kind::CheckBox:
            style |= WS_TABSTOP | BS_AUTOCHECKBOX;
            break;
        case Kind::Picture:
            // A push button to screen readers, named by its tool tip where it has no name of its own.
            style |= BS_OWNERDRAW;
            text = wide(row.accessibleName.empty() ? row.toolTip : row.accessibleName);
            break;
        case Kind::Label:
            // Drawn by the window (colour, centring, whole lines only); the text stays the window text, which
            // screen readers read.
            windowClass = WC_STATICW;
            style |= SS_OWNERDRAW | SS_NOTIFY;
            break;
        case Kind::Choice:
            windowClass = WC_COMBOBOXW;
            style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
            text = wide(row.accessibleName);
            break;
        case Kind::Progress:
            windowClass = PROGRESS_CLASSW;
            text = wide(row.accessibleName);
            break;
        case Kind::Frame:
            break;
        }
        const HWND hwnd =
            CreateWindowExW(0, windowClass, text.c_str(), style, 0, 0, 0, 0, m_hwnd,
                            reinterpret_cast<HMENU>(INT_PTR(FirstControlId + int(i))), instance(), nullptr);
        m_controls[i].hwnd = hwnd;
        SetWindowPos(hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = hwnd;
        SetWindowSubclass(hwnd, &frmMain::controlProc, i, reinterpret_cast<DWORD_PTR>(this));
        if (row.kind == Kind::Progress)
            SendMessageW(hwnd, PBM_SETRANGE32, 0, 100);
        if (row.drops == ControlLayout::Drops::Take)
            DragAcceptFiles(hwnd, TRUE);
    }
}

void frmMain::addToolTips()
{
    m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, instance(), nullptr);
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const Control& control = m_controls[i];
        if (control.row->toolTip.empty())
            continue;
        std::wstring text = wide(control.row->toolTip);
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_SUBCLASS | (control.hwnd ? TTF_IDISHWND : 0);
        tool.hwnd = m_hwnd;
        // A frame is a stretch of the window itself.
        tool.uId = control.hwnd ? reinterpret_cast<UINT_PTR>(control.hwnd) : i + 1;
        tool.rect = controlRect(*control.row);
        tool.lpszText = text.data();
        SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void frmMain::applyDpi(unsigned dpi, const RECT* suggested)
{
    m_dpi = dpi;
    m_presenter.setTwipsPerPixel(WindowLayout::twipsPerPixelAt(dpi));

    LOGFONTW face{};
    face.lfHeight = -int(DialogPixelsAt96 * dpi / USER_DEFAULT_SCREEN_DPI);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(face.lfFaceName, DialogFace);
    const HFONT old = m_font;
    m_font = CreateFontIndirectW(&face);

    for (const Control& control : m_controls) {
        if (!control.hwnd)
            continue;
        RECT box = controlRect(*control.row);
        // A drop-down list's height is that of its open list.
        if (control.row->kind == Kind::Choice)
            box.bottom += 8 * (box.bottom - box.top);
        SetWindowPos(control.hwnd, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
    }
    if (m_toolTip) {
        // The tips measure and draw in the window's font; long ones break onto lines rather than running
        // across the screen.
        SendMessageW(m_toolTip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, twipsToPixels(WindowLayout::ClientWidth));
        for (std::size_t i = 0; i < m_controls.size(); ++i) {
            if (m_controls[i].hwnd || m_controls[i].row->toolTip.empty())
                continue;
            TTTOOLINFOW tool{};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.hwnd = m_hwnd;
            tool.uId = i + 1;
            tool.rect = controlRect(*m_controls[i].row);
            SendMessageW(m_toolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    if (old)
        DeleteObject(old);
    loadIcons();

    const DWORD style = DWORD(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
    const DWORD exStyle = DWORD(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE));
    RECT frame{0, 0, twipsToPixels(WindowLayout::ClientWidth), twipsToPixels(WindowLayout::ClientHeight)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    SetWindowPos(m_hwnd, nullptr, suggested ? suggested->left : 0, suggested ? suggested->top : 0,
                 frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE));
    // Where the border is not drawn at this density (a system that scales only the client area), the client
    // area is made exact all the same.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int missingWidth = twipsToPixels(WindowLayout::ClientWidth) - client.right;
    const int missingHeight = twipsToPixels(WindowLayout::ClientHeight) - client.bottom;
    if (missingWidth != 0 || missingHeight != 0)
        SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left + missingWidth,
                     frame.bottom - frame.top + missingHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);

    m_presenter.layoutChanged();
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void frmMain::loadIcons()
{
    const auto load = [](int id, int size) {
        return static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    };
    const HICON big = load(IDI_SKULL, GetSystemMetricsForDpi(SM_CXICON, m_dpi));
    const HICON small = load(IDI_SKULL, GetSystemMetricsForDpi(SM_CXSMICON, m_dpi));
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    for (const HICON icon : {m_bigIcon, m_smallIcon})
        if (icon)
            DestroyIcon(icon);
    m_bigIcon = big;
    m_smallIcon = small;

    for (Control& control : m_controls) {
        if (control.row->kind != Kind::Picture)
            continue;
        // The layout names the pictures by their image files.
        const int id = control.row->picture == "help-16.png" ? IDI_HELP : IDI_BROWSE;
        if (control.picture)
            DestroyIcon(control.picture);
        control.picture = load(id, twipsToPixels(control.row->width));
        InvalidateRect(control.hwnd, nullptr, TRUE);
    }
}

void frmMain::Form_Initialize()
{
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

void frmMain::show(int command)
{
    ShowWindow(m_hwnd, command);
    UpdateWindow(m_hwnd);
    moveFocus(false);
}

void frmMain::OLEDragDrop(HDROP drop)
{
    std::filesystem::path path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        std::wstring name(std::size_t(DragQueryFileW(drop, 0, nullptr, 0)) + 1, L'\0');
        name.resize(std::size_t(DragQueryFileW(drop, 0, name.data(), UINT(name.size()))));
        path = name;
    }
    DragFinish(drop);
    m_presenter.OLEDragDrop(path);
}

bool frmMain::dropTakenAt(POINT point) const
{
    // The frontmost control there decides; one that leaves drops to what lies behind it passes them on, and
    // the window itself takes what reaches it.
    for (const std::size_t i : m_stacking) {
        const Control& control = m_controls[i];
        if (control.hwnd && !IsWindowVisible(control.hwnd))
            continue;
        const RECT box = controlRect(*control.row);
        if (!PtInRect(&box, point))
            continue;
        if (control.row->drops == ControlLayout::Drops::Take)
            return true;
        if (control.row->drops == ControlLayout::Drops::Refuse)
            return false;
    }
    return true;
}

void frmMain::setTitle(const std::string& text)
{
    SetWindowTextW(m_hwnd, wide(text).c_str());
}

void frmMain::setControlText(std::string_view name, const std::string& text)
{
    Control& control = m_controls[indexOf(name)];
    control.drawn.reset();
    SetWindowTextW(control.hwnd, wide(text).c_str());
    InvalidateRect(control.hwnd, nullptr, TRUE);
}

// The window text is what screen readers read; the control goes on drawing the text it had.
void frmMain::setSpokenText(std::string_view name, const std::string& text)
{
    Control& control = m_controls[indexOf(name)];
    control.drawn = windowText(control.hwnd);
    SetWindowTextW(control.hwnd, wide(text).c_str());
}

void frmMain::setControlToolTip(std::string_view name, const std::string& text)
{
    std::wstring tip = wide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = m_hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control(name));
    tool.lpszText = tip.data();
    SendMessageW(m_toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void frmMain::setControlVisible(std::string_view name, bool visible)
{
    const HWND hwnd = control(name);
    if (!visible && GetFocus() == hwnd)
        moveFocus(false);
    ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void frmMain::setControlEnabled(std::string_view name, bool enabled)
{
    const HWND hwnd = control(name);
    // A disabled control that kept the focus would swallow every key.
    const bool focused = !enabled && GetFocus() == hwnd;
    EnableWindow(hwnd, enabled ? TRUE : FALSE);
    if (focused)
        moveFocus(false);
}

bool frmMain::isChecked(std::string_view name) const
{
    return SendMessageW(control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void frmMain::setChecked(std::string_view name, bool checked)
{
    SendMessageW(control(name), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void frmMain::setChoices(std::string_view name, const std::vector<Choice>& entries)
{
    const HWND choice = control(name);
    SendMessageW(choice, CB_RESETCONTENT, 0, 0);
    for (const Choice& entry : entries)
        SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry.whole).c_str()));
    SendMessageW(choice, CB_SETCURSEL, 0, 0);
}

void frmMain::setProgress(int percent)
{
    // The progress control tells screen readers of each new value itself (EVENT_OBJECT_VALUECHANGE).
    SendMessageW(control("progressValue"), PBM_SETPOS, WPARAM(percent), 0);
}

void frmMain::setBackColor(std::int32_t colorNumber)
{
    const auto color = ColorText::color(colorNumber);
    HBRUSH brush = nullptr;
    COLORREF value = 0;
    bool own = false;
    if (color->system) {
        // A system colour the system does not know keeps the colours the window has.
        brush = color->index <= COLOR_MENUBAR ? GetSysColorBrush(int(color->index)) : nullptr;
        if (!brush)
            return;
        value = GetSysColor(int(color->index));
    } else {
        value = RGB(color->red, color->green, color->blue);
        brush = CreateSolidBrush(value);
        own = true;
    }
    if (m_ownBrush)
        DeleteObject(m_backBrush);
    m_backBrush = brush;
    m_ownBrush = own;
    m_backColor = value;
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

std::unique_ptr<TextMeasure> frmMain::measure(std::string_view name) const
{
    return textMeasure(name);
}

void frmMain::focusControl(std::string_view name)
{
    const HWND hwnd = control(name);
    if (GetActiveWindow() == m_hwnd && IsWindowVisible(hwnd))
        SetFocus(hwnd);
}

std::string frmMain::focusedControl() const
{
    const HWND focus = GetFocus();
    for (const Control& control : m_controls)
        if (control.hwnd && control.hwnd == focus)
            return std::string(control.row->name);
    return {};
}

void frmMain::dropFocus()
{
    if (IsChild(m_hwnd, GetFocus()))
        SetFocus(m_hwnd);
}

bool frmMain::screenReaderListening() const
{
    return ScreenReader::listening();
}

void frmMain::announce(std::string_view name)
{
    if (!m_liveRegions) {
        m_liveRegions = true;
        for (const Control& control : m_controls)
            if (control.row->kind == Kind::Label && control.hwnd)
                ScreenReader::makeLiveRegion(control.hwnd);
    }
    ScreenReader::announce(control(name));
}

void frmMain::startProgressTimer(int ms)
{
    SetTimer(m_hwnd, ProgressTimer, UINT(ms), nullptr);
}

void frmMain::stopProgressTimer()
{
    KillTimer(m_hwnd, ProgressTimer);
}

std::function<void()> frmMain::runEndNotice()
{
    const HWND window = m_hwnd;
    return [window] { PostMessageW(window, RunFinishedMessage, 0, 0); };
}

void frmMain::openHelp()
{
    if (m_openHelp)
        m_openHelp(m_hwnd);
}

void frmMain::closeWindow()
{
    if (m_hwnd)
        SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

// The focus to the next (or previous) control of the tab order that can take it.
void frmMain::moveFocus(bool backwards)
{
    const auto order = WindowLayout::tabOrder();
    const HWND focus = GetFocus();
    const auto count = std::ptrdiff_t(order.size());
    std::ptrdiff_t at = -1;
    for (std::ptrdiff_t i = 0; i < count; ++i)
        if (control(order[std::size_t(i)]) == focus)
            at = i;
    if (at < 0)
        at = backwards ? 0 : count - 1;
    for (std::ptrdiff_t step = 1; step <= count; ++step) {
        const std::ptrdiff_t next = ((at + (backwards ? -step : step)) % count + count) % count;
        const HWND candidate = control(order[std::size_t(next)]);
        if (IsWindowVisible(candidate) && IsWindowEnabled(candidate) && candidate != focus) {
            SetFocus(candidate);
            return;
        }
    }
}

// What a key bound to the control does: a button or picture is pressed, a check box ticked or unticked,
// a choice takes the focus.
void frmMain::activate(std::size_t index)
{
    const Control& control = m_controls[index];
    if (!control.hwnd || !IsWindowVisible(control.hwnd) || !IsWindowEnabled(control.hwnd))
        return;
    switch (control.row->kind) {
    case Kind::Button:
    case Kind::CheckBox:
        SetFocus(control.hwnd);
        SendMessageW(control.hwnd, BM_CLICK, 0, 0);
        break;
    case Kind::Picture:
        clicked(index);
        break;
    case Kind::Choice:
        SetFocus(control.hwnd);
        break;
    default:
        break;
    }
}

bool frmMain::preTranslate(const MSG& msg)
{
    if (!m_hwnd || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd)))
        return false;
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    const auto key = UINT(msg.wParam);
    // The Alt key's state comes with the message (its context bit), so that a key replayed later still
    // counts.
    const bool alt = msg.message == WM_SYSKEYDOWN && (msg.lParam & (LPARAM(1) << 29)) != 0;
    const bool ctrl = pressed(VK_CONTROL);
    const bool shift = pressed(VK_SHIFT);
    if (!alt && !ctrl) {
        if (key == VK_TAB) {
            moveFocus(shift);
            return true;
        }
        // "&Beenden" is the window's cancel button: Esc presses it from anywhere in the window.
        if (key == VK_ESCAPE && !shift) {
            SendMessageW(control("cmdCancel"), BM_CLICK, 0, 0);
            return true;
        }
        // Enter presses the focused push button, as Space does.
        if (key == VK_RETURN && !shift) {
            for (const Control& control : m_controls)
                if (control.hwnd == GetFocus() && control.row->kind == Kind::Button) {
                    SendMessageW(control.hwnd, BM_CLICK, 0, 0);
                    return true;
                }
        }
    }
    const ControlLayout* target = WindowLayout::keyTarget(keyText(key, ctrl, alt, shift));
    if (!target)
        return false;
    activate(indexOf(target->name));
    return true;
}

void frmMain::dispatch(MSG& msg)
{
    if (preTranslate(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void frmMain::clicked(std::size_t index)
{
    const std::string_view name = m_controls[index].row->name;
    if (name == "cmdDelete")
        m_presenter.cmdDelete_Click();
    else if (name == "cmdCancel")
        m_presenter.cmdCancel_Click();
    else if (name == "chkExplorer")
        m_presenter.chkExplorer_Click();
    else if (name == "chkQuit")
        m_presenter.chkQuit_Click();
    else if (name == "Image1" || name == "Image2") {
        // The pictures stay out of the tab order: a click hands the focus back to where it was.
        if (m_hwnd && GetFocus() == m_controls[index].hwnd) {
            if (m_lastFocus && IsWindowVisible(m_lastFocus) && IsWindowEnabled(m_lastFocus))
                SetFocus(m_lastFocus);
            else
                moveFocus(false);
        }
        if (name == "Image1")
            m_presenter.Image1_Click();
        else
            m_presenter.Image2_Click();
    }
}

void frmMain::paintFrames(HDC dc) const
{
    // Back to front: Frame1 lies over the top edge of Frame2.
    for (auto i = m_stacking.rbegin(); i != m_stacking.rend(); ++i) {
        const ControlLayout& row = *m_controls[*i].row;
        if (row.kind != Kind::Frame)
            continue;
        RECT box = controlRect(row);
        FillRect(dc, &box, m_backBrush);
        DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
    }
}

void frmMain::drawItem(const DRAWITEMSTRUCT& item) const
{
    const std::size_t index = std::size_t(item.CtlID) - FirstControlId;
    if (index >= m_controls.size())
        return;
    const Control& control = m_controls[index];
    FillRect(item.hDC, &item.rcItem, m_backBrush);
    if (control.row->kind == Kind::Picture) {
        if (!control.picture)
            return;
        // Pressed, the picture moves a pixel, as a button's face does.
        const int shift = (item.itemState & ODS_SELECTED) ? 1 : 0;
        const int size = twipsToPixels(control.row->width);
        DrawIconEx(item.hDC, item.rcItem.left + shift, item.rcItem.top + shift, control.picture, size, size,
                   0, nullptr, DI_NORMAL);
        return;
    }
    if (control.row->kind != Kind::Label)
        return;
    const std::wstring text = control.drawn ? *control.drawn : windowText(control.hwnd);
    const COLORREF color =
        control.row->textColor ? colorOf(*control.row->textColor) : GetSysColor(COLOR_WINDOWTEXT);
    textMeasure(control.row->name)->draw(item.hDC, item.rcItem, text, color);
}

LRESULT CALLBACK frmMain::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* window = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window->m_hwnd = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return window->handleMessage(message, wParam, lParam);
}

LRESULT frmMain::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const std::size_t index = std::size_t(LOWORD(wParam)) - FirstControlId;
        if (lParam && index < m_controls.size() && HIWORD(wParam) == BN_CLICKED)
            clicked(index);
        return 0;
    }
    case WM_DRAWITEM:
        drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // The check boxes (and the labels behind them) take the window's colour; push buttons keep their own.
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, m_backColor);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        if (message == WM_CTLCOLORBTN)
            break;
        return reinterpret_cast<LRESULT>(m_backBrush);
    }
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(m_hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, m_backBrush);
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = BeginPaint(m_hwnd, &paint);
        paintFrames(dc);
        EndPaint(m_hwnd, &paint);
        return 0;
    }
    case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        POINT point{};
        DragQueryPoint(drop, &point);
        if (dropTakenAt(point))
            OLEDragDrop(drop);
        else
            DragFinish(drop);
        return 0;
    }
    case WM_TIMER:
        if (wParam == ProgressTimer)
            m_presenter.progressTimer();
        return 0;
    case RunFinishedMessage:
        m_presenter.runFinished();
        return 0;
    case WM_CLOSE:
        if (m_presenter.closeRequested())
            DestroyWindow(m_hwnd);
        return 0;
    case WM_QUERYENDSESSION:
        // The session may end once the file is destroyed; until then the system is told why it waits.
        if (const auto reason = m_presenter.sessionEnding()) {
            ShutdownBlockReasonCreate(m_hwnd, wide(*reason).c_str());
            return FALSE;
        }
        return TRUE;
    case WM_ENDSESSION:
        // The process ends with the session: a run still going finishes its file first.
        if (wParam)
            m_presenter.waitForRun();
        return 0;
    case WM_DPICHANGED:
        applyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        // Back in the window, the control that had the focus gets it again.
        if (LOWORD(wParam) != WA_INACTIVE && m_lastFocus && IsWindowVisible(m_lastFocus) &&
            IsWindowEnabled(m_lastFocus)) {
            SetFocus(m_lastFocus);
            return 0;
        }
        break;
    case WM_SYSCOLORCHANGE:
        // A system colour follows the desktop's scheme.
        m_presenter.ApplyBackColor();
        break;
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK frmMain::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index,
                                      DWORD_PTR data)
{
    auto* window = reinterpret_cast<frmMain*>(data);
    const ControlLayout& row = *window->m_controls[index].row;
    switch (message) {
    case WM_DROPFILES:
        if (row.drops == ControlLayout::Drops::Take)
            window->OLEDragDrop(reinterpret_cast<HDROP>(wParam));
        else
            DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_SETCURSOR:
        if (row.kind == Kind::Picture) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
        if (row.name == "cmdCancel")
            window->m_presenter.cmdCancel_KeyDown(
                WindowOptions::schemeKeyOf(keyText(UINT(wParam), false, false, false)));
        break;
    case WM_SETFOCUS:
        if (row.tabIndex >= 0)
            window->m_lastFocus = hwnd;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &frmMain::controlProc, index);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
