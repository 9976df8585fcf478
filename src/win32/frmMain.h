// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ProgressLine.h"
#include "model/MainWindowModel.h"
#include "model/WindowOptions.h"
#include "win32/WindowServices.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ControlLayout;
class GdiTextMeasure;
class ShredRun;

// The program's one window on Windows, made of plain Win32 controls: the information panel that describes
// the target file, the two options, the browse and help pictures and the two push buttons. It draws what
// the model (MainWindowModel, WindowLayout, WindowOptions) decides; its handlers carry the names of the
// controls and events they serve (cmdDelete_Click, Form_Load, ...).
//
// Everything of the window runs on the thread that made it. The delete command overwrites the file on the
// engine's worker thread (ShredRun), which posts its end to the window; the window answers throughout.
class frmMain
{
public:
    // Passes that the delete command asks of the shredder.
    static constexpr std::int16_t ShredPasses = 9;

    explicit frmMain(const WindowServices& services);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND handle() const { return m_hwnd; }
    // False once the window is closed.
    bool isOpen() const { return m_hwnd != nullptr; }
    // The control the layout names; null for a frame, which the window draws itself.
    HWND control(std::string_view name) const;

    // The screen's dots per inch the window is laid out for, and its twips per pixel (1440 / dpi).
    unsigned dpi() const { return m_dpi; }
    int twipsToPixels(int twips) const { return m_model.twipsToPixels(twips); }
    // Where the layout's row lies in the window's client area, in pixels.
    RECT controlRect(const ControlLayout& row) const;
    // How the named control draws its text: in the window's font, within the room its text has (a label's
    // whole box, a check box's caption beside its box, a button's inside its edges).
    std::unique_ptr<GdiTextMeasure> textMeasure(std::string_view name) const;

    // The full path of the file to destroy; empty when none is loaded.
    std::filesystem::path TargetPath;
    // True exactly while Form_Load runs.
    bool IsLoading = false;
    // True while the delete command is overwriting a file.
    bool isShredding() const { return m_model.isShredding(); }

    void Form_Initialize();
    void Form_Load();
    // Shows the window (ShowWindow's command) and gives the first control of the tab order the focus.
    void show(int command);

    // Brings title, labels, their visibility and cmdDelete in line with TargetPath, as the model describes
    // it.
    void RefreshTarget();
    // Recolours the window, the frames and the check boxes from the stored colour scheme.
    void ApplyBackColor();
    // The colour the window, its frames and check boxes are painted in now.
    COLORREF backColor() const { return m_backColor; }

    void cmdDelete_Click();
    void cmdCancel_Click();
    // A key pressed while "&Beenden" has the focus: F12 and F11 store a colour scheme; every key re-applies
    // the stored one.
    void cmdCancel_KeyDown(WPARAM keyCode);
    void chkExplorer_Click();
    void chkQuit_Click();
    void Image1_Click();
    void Image2_Click();
    // The drop handler of every drop surface: the first file of the drop becomes the target. Frees drop.
    void OLEDragDrop(HDROP drop);

    // A close that no outcome may hold back (the session ends): during a run it waits for the file, and then
    // closes whatever the run's outcome.
    void closeWhenRunEnds();

    // The window's own keys, before the control they are sent to: the tab order, Esc and Enter, the access
    // keys of the captions and the layout's shortcuts. True when msg was taken here.
    bool preTranslate(const MSG& msg);
    // Hands a message of the thread's queue on: to the window's keys first, then to its window.
    void dispatch(MSG& msg);

private:
    struct Control
    {
        const ControlLayout* row;
        HWND hwnd = nullptr; // none for a frame
        HICON picture = nullptr;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index,
                                        DWORD_PTR data);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void addToolTips();
    // Lays the window out for dpi: font, positions, pictures and the client size; suggested is where the
    // system wants the window (after a move to another screen).
    void applyDpi(unsigned dpi, const RECT* suggested);
    void loadIcons();
    void paintFrames(HDC dc) const;
    void drawItem(const DRAWITEMSTRUCT& item) const;
    void clicked(std::size_t index);
    // Whether a drop at point (client coordinates) lands on a surface that takes files.
    bool dropTakenAt(POINT point) const;
    void close();

    // The delete command's run.
    void finishRun();
    void showProgress();
    void endRun();
    MainWindowModel::Run currentRun() const;
    std::int64_t runClockMs() const;

    const Control& named(std::string_view name) const;
    void setText(std::string_view name, const std::string& utf8);
    void setVisible(std::string_view name, bool visible);
    void setEnabled(std::string_view name, bool enabled);
    bool isChecked(std::string_view name) const;
    void setChecked(std::string_view name, bool checked);
    void moveFocus(bool backwards);
    void activate(std::size_t index);

    FileSystem& m_fileSystem;
    BrowseDialog& m_browseDialog;
    const ProgramInfo m_program;
    const NumberFormat m_numbers;
    const std::function<void(HWND)> m_openHelp;
    // The window's decisions; it also holds the file TargetPath named when it was last described, the only
    // one a run may touch.
    MainWindowModel m_model;
    WindowOptions m_options;

    HWND m_hwnd = nullptr;
    HWND m_toolTip = nullptr;
    std::vector<Control> m_controls; // in the layout's order
    // The controls front to back: each container's controls in the layout's order, those that lie in front
    // first; Frame1's controls in front of Frame1.
    std::vector<std::size_t> m_stacking;
    unsigned m_dpi = 96;
    HFONT m_font = nullptr;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    COLORREF m_backColor;
    HBRUSH m_backBrush = nullptr;
    bool m_ownBrush = false;
    bool m_loaded = false;
    // The name as lblFileName draws it, shortened to the label; its window text is the whole name.
    std::wstring m_fileNameShown;
    // The last control of the tab order that had the focus: it gets it back when the window is activated.
    HWND m_lastFocus = nullptr;
    // A run's outcome in place of the question, kept when the window is laid out afresh.
    std::optional<std::string> m_outcomeMessage;

    // The running delete command and its progress line, shown from half a second into the run.
    std::unique_ptr<ShredRun> m_run;
    ProgressLine m_progressLine;
    bool m_progressShown = false;
    std::string m_runFileName;
    std::filesystem::path m_runPath;
    ULONGLONG m_runStartMs = 0;
};
