// SPDX-License-Identifier: GPL-3.0-or-later
// The real Windows window, driven with the messages the system sends it, on doubles for the file system,
// the registry and the settings. Needs a display (under Wine: an X server).
#include "engine/ProgressLine.h"
#include "engine/ShredReport.h"
#include "model/WindowLayout.h"
#include "platform/NativeText.h"
#include "platform/gui/BrowseDialog.h"
#include "platform/windows/WindowsFileSystem.h"
#include "shell/ExplorerKontext.h"
#include "support/MapSettings.h"
#include "support/MemoryRegistry.h"
#include "support/RecordingFileSystem.h"
#include "target/PanelText.h"
#include "win32/GdiTextMeasure.h"
#include "win32/frmMain.h"

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <fstream>
#include <map>
#include <thread>

#include <gtest/gtest.h>

namespace {

class CancelledBrowse : public BrowseDialog
{
public:
    std::filesystem::path exec(const Request&) override
    {
        ++shown;
        return {};
    }
    int shown = 0;
};

// The live-region events the window raises, as an out-of-context hook of this thread sees them.
std::vector<HWND> liveRegionEvents;
void CALLBACK liveRegionChanged(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD)
{
    liveRegionEvents.push_back(hwnd);
}

// Holds every sync until released, so that a run lasts as long as the test needs.
class GatedFileSystem : public RecordingFileSystem
{
public:
    bool sync(Handle handle) override
    {
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return RecordingFileSystem::sync(handle);
    }
    std::atomic<bool> released{true};
};

// A caption as drawn: its access-key mark taken out.
std::string drawnCaption(std::string_view caption)
{
    std::string text(caption);
    if (const std::size_t mark = text.find('&'); mark != std::string::npos)
        text.erase(mark, 1);
    return text;
}

const std::filesystem::path ProgramPath = "C:\\Programme\\Tilgomatic\\tilgomatic.exe";

class WindowTest : public ::testing::Test
{
public:
    ~WindowTest() override
    {
        // A run held at its sync would keep the window's end waiting.
        fileSystem.released = true;
        window.reset();
    }

    frmMain& open(std::vector<std::string> arguments = {}, FileSystem* files = nullptr)
    {
        const WindowServices services{{files ? *files : fileSystem, settings, registry, browseDialog,
                                       ProgramInfo::of(ProgramPath, std::move(arguments), "C:\\")},
                                      [this](HWND) { ++helpOpened; }};
        window = std::make_unique<frmMain>(services);
        window->Form_Load();
        window->show(SW_SHOWNORMAL);
        return *window;
    }

    // Turns the message loop as wWinMain does until done() or the time is up.
    template <typename Done>
    bool pumpUntil(Done done, int milliseconds = 10000)
    {
        const ULONGLONG end = GetTickCount64() + ULONGLONG(milliseconds);
        MSG message{};
        while (!done()) {
            if (GetTickCount64() > end)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (window->isOpen())
                    window->dispatch(message);
                else
                    DispatchMessageW(&message);
            }
        }
        return true;
    }

    // A key as the keyboard sends it to the focused control, through the message loop.
    void key(UINT virtualKey, bool alt = false, bool ctrl = false, bool shift = false)
    {
        BYTE state[256] = {};
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        const HWND focus = GetFocus() ? GetFocus() : window->handle();
        PostMessageW(focus, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, 1 | (alt ? LPARAM(1) << 29 : 0));
        pumpUntil([] { return false; }, 30);
        state[VK_CONTROL] = state[VK_SHIFT] = 0;
        SetKeyboardState(state);
    }

    std::string text(std::string_view name) const
    {
        const HWND control = window->control(name);
        std::wstring text(std::size_t(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(std::size_t(GetWindowTextW(control, text.data(), int(text.size()))));
        return NativeText::fromUtf16(text);
    }
    bool visible(std::string_view name) const { return IsWindowVisible(window->control(name)); }

    // A drop of path as the shell hands it over: a DROPFILES block, the point in target's client area.
    static void drop(HWND target, const std::filesystem::path& path, POINT point = {})
    {
        const std::wstring& name = path.native();
        const std::size_t size = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        files->pt = point;
        files->fWide = TRUE;
        std::copy(name.begin(), name.end(), reinterpret_cast<wchar_t*>(files + 1));
        GlobalUnlock(memory);
        SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }

    // The centre of the named control in the window's client area.
    POINT centreOf(std::string_view name) const
    {
        const RECT box = window->controlRect(WindowLayout::control(name));
        return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    }

    void pressDelete()
    {
        key('D', true);
        ASSERT_TRUE(pumpUntil([this] { return !window->isOpen() || !window->isShredding(); }));
    }

    GatedFileSystem fileSystem;
    MapSettings settings;
    MemoryRegistry registry;
    CancelledBrowse browseDialog;
    int helpOpened = 0;
    std::unique_ptr<frmMain> window;
    const std::filesystem::path file = NativeText::path("C:\\Daten\\Bericht über Käse.txt");
};

TEST_F(WindowTest, DescribesTheStartFileAndDestroysItOnAltD)
{
    fileSystem.length = 5000;
    open({NativeText::bytes(file)});
    EXPECT_EQ(text("lblFileName"), "Bericht über Käse.txt");
    EXPECT_EQ(text("lblFilePath"), "C:\\Daten");
    EXPECT_EQ(text("lblFileAttribute"), PanelText::attributeText(0));
    EXPECT_EQ(text("lblMsg"), WindowLayout::Question);
    EXPECT_EQ(text("lblFileSize"), PanelText::sizeText(5000, NumberFormat()));
    EXPECT_FALSE(visible("lblEmpty"));
    EXPECT_TRUE(visible("lblMsg"));
    EXPECT_TRUE(IsWindowEnabled(window->control("cmdDelete")));

    pressDelete();
    EXPECT_EQ(fileSystem.pathsOf(RecordingFileSystem::Kind::Open),
              std::vector<std::string>{NativeText::bytes(file)});
    EXPECT_EQ(fileSystem.callsOf(RecordingFileSystem::Kind::RemoveName).size(), 1U);
    EXPECT_TRUE(window->TargetPath().empty());
    EXPECT_TRUE(visible("lblEmpty"));
    EXPECT_EQ(text("lblEmpty"), ShredReport::successText());
    EXPECT_FALSE(visible("lblMsg"));
    EXPECT_FALSE(IsWindowEnabled(window->control("cmdDelete")));
    // The focus left the disabled button for the next control that takes it.
    EXPECT_EQ(GetFocus(), window->control("chkExplorer"));
}

TEST_F(WindowTest, DestroysARealFile)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("tilgomatic-window-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path real = folder / file.filename();
    std::ofstream(real, std::ios::binary) << std::string(5000, 'x');
    WindowsFileSystem windows;
    open({NativeText::bytes(real)}, &windows);
    EXPECT_EQ(text("lblFileName"), "Bericht über Käse.txt");
    EXPECT_EQ(text("lblFileAttribute"), PanelText::attributeText(windows.attributes(real)));

    pressDelete();
    EXPECT_FALSE(std::filesystem::exists(real));
    EXPECT_TRUE(window->TargetPath().empty());
    // What the notice says of the file depends on what the file system lets the run see.
    EXPECT_TRUE(visible("lblEmpty"));
    EXPECT_NE(text("lblEmpty"), WindowLayout::control("lblEmpty").caption);
    EXPECT_FALSE(IsWindowEnabled(window->control("cmdDelete")));
    window.reset();
    std::filesystem::remove_all(folder);
}

TEST_F(WindowTest, TheExplorerBoxWritesAndRemovesTheContextMenuEntry)
{
    open();
    const HWND box = window->control("chkExplorer");
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(settings.values["ExplorerMnu"], "1");
    // The entry starts this very program with the file.
    const ProgramInfo program = ProgramInfo::of(ProgramPath, {}, "C:\\");
    EXPECT_EQ(registry.value("*\\shell\\Tilgomatic\\command"),
              modExplorerKontext::commandValue(modExplorerKontext::programCommand(program)));

    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(settings.values["ExplorerMnu"], "0");
    EXPECT_FALSE(registry.hasKey("*\\shell\\Tilgomatic"));
}

TEST_F(WindowTest, FilesAreTakenWhereTheLayoutSaysAndRefusedElsewhere)
{
    open();
    const auto taken = [this](HWND target, POINT point) {
        window->presenter().TargetPath.clear();
        window->RefreshTarget();
        drop(target, file, point);
        return window->TargetPath() == file;
    };
    for (const ControlLayout& row : WindowLayout::controls()) {
        const HWND control = window->control(row.name);
        if (!control || row.drops == ControlLayout::Drops::Pass)
            continue;
        SCOPED_TRACE(row.name);
        EXPECT_EQ(taken(control, {1, 1}), row.drops == ControlLayout::Drops::Take);
    }
    // What the window itself receives is judged by the point: the controls and frames in front decide.
    const RECT lowerFrame = window->controlRect(WindowLayout::control("Frame2"));
    const struct
    {
        POINT point;
        bool taken;
    } points[] = {{{0, 0}, true},
                  {{lowerFrame.left + 3, lowerFrame.bottom - 3}, false},
                  {centreOf("cmdDelete"), false},
                  {centreOf("Image1"), false},
                  {centreOf("lblEmpty"), true},
                  {centreOf("chkQuit"), true}};
    for (const auto& [point, expected] : points) {
        SCOPED_TRACE(std::to_string(point.x) + "," + std::to_string(point.y));
        EXPECT_EQ(taken(window->handle(), point), expected);
    }
    // The drop is described like any other target.
    drop(window->control("lblMsg"), file);
    EXPECT_EQ(text("lblFileName"), "Bericht über Käse.txt");
}

class DensityTest : public WindowTest, public ::testing::WithParamInterface<unsigned>
{
};

TEST_P(DensityTest, EveryTextFitsItsControl)
{
    const unsigned dpi = GetParam();
    fileSystem.length = 1023 * 1024 + 1000;
    fileSystem.attributeWord = 39; // the longest attribute words
    open({NativeText::bytes(file)});
    ProgressLine progress;
    progress.update({36, 35, 100000});
    RECT suggested{0, 0, 100, 100};
    SendMessageW(window->handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT client{};
    GetClientRect(window->handle(), &client);
    EXPECT_EQ(client.right, MulDiv(WindowLayout::ClientWidth, int(dpi), 1440));
    EXPECT_EQ(client.bottom, MulDiv(WindowLayout::ClientHeight, int(dpi), 1440));
    std::vector<std::pair<std::string_view, std::string>> texts = {{"lblEmpty", ShredReport::successText()},
                                                                   {"lblMsg", progress.text()}};
    for (const ControlLayout& row : WindowLayout::controls()) {
        if (row.kind == ControlLayout::Kind::Label)
            texts.emplace_back(row.name, text(row.name));
        else if (!row.caption.empty())
            texts.emplace_back(row.name, drawnCaption(row.caption));
    }
    for (const auto& [name, shown] : texts) {
        SCOPED_TRACE(std::string(name) + ": " + shown);
        EXPECT_TRUE(window->textMeasure(name)->fitsWhole(shown));
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, DensityTest, ::testing::Values(96U, 120U, 144U));

class KeyTest;

// A key pressed where the focus is, and what it did.
struct KeyCase
{
    const char* name;
    const char* focus; // the control that has the focus first; nullptr: where the window puts it
    UINT key;
    bool alt, ctrl, shift;
    std::function<bool(KeyTest&)> done;
};

class KeyTest : public WindowTest, public ::testing::WithParamInterface<KeyCase>
{
public:
    bool focused(const char* name) const { return GetFocus() == window->control(name); }
    std::string stored(const char* key) { return settings.values[key]; }
    bool closed() const { return !window->isOpen(); }
};

TEST_P(KeyTest, Acts)
{
    open({NativeText::bytes(file)});
    if (GetParam().focus)
        SetFocus(window->control(GetParam().focus));
    key(GetParam().key, GetParam().alt, GetParam().ctrl, GetParam().shift);
    EXPECT_TRUE(GetParam().done(*this));
}

const KeyCase Keys[] = {
    {"TabFromTheFirstControl", nullptr, VK_TAB, false, false, false,
     [](KeyTest& t) { return t.focused("chkQuit"); }},
    {"TabWrapsAround", "cmdDelete", VK_TAB, false, false, false,
     [](KeyTest& t) { return t.focused("chkExplorer"); }},
    {"ShiftTabGoesBack", "cmdCancel", VK_TAB, false, false, true,
     [](KeyTest& t) { return t.focused("chkQuit"); }},
    {"F1OpensTheHelp", nullptr, VK_F1, false, false, false, [](KeyTest& t) { return t.helpOpened == 1; }},
    {"CtrlOOpensTheBrowseDialog", nullptr, 'O', false, true, false,
     [](KeyTest& t) { return t.browseDialog.shown == 1; }},
    {"OAloneOpensNothing", nullptr, 'O', false, false, false,
     [](KeyTest& t) { return t.browseDialog.shown == 0; }},
    {"F12OnBeendenStoresTheSystemFace", "cmdCancel", VK_F12, false, false, false,
     [](KeyTest& t) {
         return t.stored("BGColor") == WindowLayout::SystemFaceScheme &&
                t.window->backColor() == GetSysColor(COLOR_BTNFACE);
     }},
    {"F11OnBeendenStoresWhite", "cmdCancel", VK_F11, false, false, false,
     [](KeyTest& t) {
         return t.stored("BGColor") == WindowLayout::WhiteScheme &&
                t.window->backColor() == RGB(255, 255, 255);
     }},
    {"F12ElsewhereStoresNothing", "chkQuit", VK_F12, false, false, false,
     [](KeyTest& t) { return t.stored("BGColor").empty(); }},
    {"EscCloses", "chkQuit", VK_ESCAPE, false, false, false, [](KeyTest& t) { return t.closed(); }},
    {"AltBCloses", nullptr, 'B', true, false, false, [](KeyTest& t) { return t.closed(); }},
    {"EnterPressesTheFocusedButton", "cmdCancel", VK_RETURN, false, false, false,
     [](KeyTest& t) { return t.closed(); }},
    {"AltDDeletes", nullptr, 'D', true, false, false,
     [](KeyTest& t) {
         return t.pumpUntil(
             [&t] { return !t.fileSystem.callsOf(RecordingFileSystem::Kind::RemoveName).empty(); });
     }},
    {"AltWWithoutAChoiceDoesNothing", "chkQuit", 'W', true, false, false,
     [](KeyTest& t) { return t.focused("chkQuit"); }},
};

INSTANTIATE_TEST_SUITE_P(Keys, KeyTest, ::testing::ValuesIn(Keys),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

class DropSurfaceTest : public WindowTest, public ::testing::WithParamInterface<std::string_view>
{
};

// Each control that takes part in drops, dropped on directly, and the window at the control's centre.
TEST_P(DropSurfaceTest, TakesOrRefusesAsTheLayoutSays)
{
    const ControlLayout& row = WindowLayout::control(GetParam());
    open();
    drop(window->control(row.name), file, {1, 1});
    EXPECT_EQ(window->TargetPath() == file, row.drops == ControlLayout::Drops::Take);
    window->presenter().TargetPath.clear();
    window->RefreshTarget();
    if (IsWindowVisible(window->control(row.name))) {
        drop(window->handle(), file, centreOf(row.name));
        EXPECT_EQ(window->TargetPath() == file, row.drops == ControlLayout::Drops::Take);
    }
}

std::vector<std::string_view> dropSurfaces()
{
    std::vector<std::string_view> names;
    for (const ControlLayout& row : WindowLayout::controls())
        if (row.drops != ControlLayout::Drops::Pass && row.kind != ControlLayout::Kind::Frame)
            names.push_back(row.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Controls, DropSurfaceTest, ::testing::ValuesIn(dropSurfaces()),
                         [](const ::testing::TestParamInfo<std::string_view>& info) {
                             return std::string(info.param);
                         });

// The outcome is announced once, on the label that shows it; with a screen reader the focus goes where the
// Linux window puts it, never to the next check box.
TEST_F(WindowTest, OutcomesAndRefusalsAreAnnouncedAndTheFocusStaysOffTheCheckBoxes)
{
    const HWINEVENTHOOK hook = SetWinEventHook(0x8019, 0x8019, nullptr, &liveRegionChanged,
                                               GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    liveRegionEvents.clear();
    open({NativeText::bytes(file)});
    pressDelete();
    EXPECT_TRUE(pumpUntil([] { return !liveRegionEvents.empty(); }, 3000));
    EXPECT_EQ(liveRegionEvents, std::vector<HWND>{window->control("lblEmpty")});

    SystemParametersInfoW(SPI_SETSCREENREADER, TRUE, nullptr, 0);
    fileSystem.openStatus = OpenStatus::AccessDenied;
    drop(window->handle(), file);
    SetFocus(window->control("cmdDelete"));
    pressDelete();
    EXPECT_EQ(text("lblMsg"), ShredReport::openFailureText(OpenStatus::AccessDenied));
    EXPECT_EQ(GetFocus(), window->control("lblMsg"));
    fileSystem.openStatus = OpenStatus::Opened;
    SetFocus(window->control("cmdDelete"));
    pressDelete();
    EXPECT_NE(GetFocus(), window->control("chkExplorer"));
    SystemParametersInfoW(SPI_SETSCREENREADER, FALSE, nullptr, 0);
    UnhookWinEvent(hook);
}

// While the worker overwrites the file, the window's thread answers: a key opens the help at once.
TEST_F(WindowTest, TheRunGoesOnTheWorkerThreadWhileTheWindowAnswers)
{
    fileSystem.length = 100;
    fileSystem.released = false;
    open({NativeText::bytes(file)});
    key('D', true);
    EXPECT_TRUE(window->isShredding());
    key(VK_F1);
    EXPECT_EQ(helpOpened, 1);
    key('D', true); // answered in the progress line, not obeyed
    fileSystem.released = true;
    ASSERT_TRUE(pumpUntil([this] { return !window->isShredding(); }));
    EXPECT_EQ(fileSystem.callsOf(RecordingFileSystem::Kind::Open).size(), 1U);
}

TEST_F(WindowTest, AnswersDuringARunAndClosesOnlyOnceTheFileIsDestroyed)
{
    fileSystem.length = 100;
    fileSystem.released = false;
    open({NativeText::bytes(file)});
    key('D', true);
    // From half a second on the title tells the share done, while the run waits at its first sync.
    ASSERT_TRUE(pumpUntil([this] { return IsWindowVisible(window->control("progressValue")) != FALSE; }));
    wchar_t title[200] = {};
    GetWindowTextW(window->handle(), title, 200);
    EXPECT_NE(std::wstring(title).find(L"%"), std::wstring::npos);

    SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(window->isOpen());
    EXPECT_NE(text("lblMsg"), WindowLayout::Question);
    EXPECT_TRUE(fileSystem.callsOf(RecordingFileSystem::Kind::RemoveName).empty());

    fileSystem.released = true;
    ASSERT_TRUE(pumpUntil([this] { return !window->isOpen(); }));
    EXPECT_EQ(fileSystem.callsOf(RecordingFileSystem::Kind::RemoveName).size(), 1U);
}

// The name's shortening keeps its start and its extension and never splits what is drawn as one character.
TEST(GdiTextMeasureTest, ElidesInTheMiddleBetweenWholeCharacters)
{
    const HFONT font =
        CreateFontW(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
    {
        const GdiTextMeasure measure(font);
        // e + combining acute, a surrogate pair, a zero-width-joiner sequence, CR LF.
        EXPECT_EQ(measure.graphemeBoundaries("ae\xCC\x81"
                                             "b"),
                  (std::vector<std::size_t>{1, 4}));
        EXPECT_EQ(measure.graphemeBoundaries("a\xF0\x9F\x98\x80"
                                             "b"),
                  (std::vector<std::size_t>{1, 5}));
        EXPECT_EQ(measure.graphemeBoundaries("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"
                                             "x\r\ny"),
                  (std::vector<std::size_t>{11, 12, 14}));
        const std::string name = "Jahresbericht 2025 über die Prüfung der Heizungsanlagen Nordstadt.pdf";
        EXPECT_EQ(measure.elideMiddle(name, 10000), name);
        EXPECT_EQ(measure.elideMiddle(name, 0), "");
        for (const int pixels : {20, 60, 150}) {
            SCOPED_TRACE(pixels);
            const std::string shown = measure.elideMiddle(name, pixels);
            EXPECT_LE(measure.width(shown), pixels);
            const std::size_t ellipsis = shown.find("\xE2\x80\xA6");
            ASSERT_NE(ellipsis, std::string::npos);
            EXPECT_TRUE(name.starts_with(shown.substr(0, ellipsis)));
            EXPECT_TRUE(name.ends_with(shown.substr(ellipsis + 3)));
            EXPECT_GT(measure.width(measure.elideMiddle(name, pixels + 30)), measure.width(shown));
        }
        EXPECT_TRUE(measure.elideMiddle(name, 150).ends_with(".pdf"));
        // Accents stay on their letters.
        std::string accents;
        for (int i = 0; i < 8; ++i)
            accents += "e\xCC\x81";
        const std::string cut = measure.elideMiddle(accents, measure.width(accents) / 2);
        EXPECT_FALSE(cut.starts_with("\xCC\x81"));
        EXPECT_EQ(cut.find("\xE2\x80\xA6\xCC\x81"), std::string::npos);
    }
    DeleteObject(font);
}

} // namespace
