// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/MainWindowPresenter.h"
#include "model/MainWindowView.h"
#include "win32/WindowServices.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ControlLayout;
class GdiTextMeasure;

// The program's one window on Windows, made of plain Win32 controls: the information panel that describes
// the target file, the two options, the browse and help pictures and the two push buttons. It builds its
// controls from WindowLayout, draws what the presenter (MainWindowPresenter) tells it and hands its events
// on to the handlers named after them (cmdDelete_Click, Form_Load, ...).
//
// Everything of the window runs on the thread that made it. The delete command overwrites the file on the
// engine's worker thread (ShredRun), which posts its end to the window; the window answers throughout.
class frmMain : public MainWindowView
{
public:
    explicit frmMain(const WindowServices& services);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND handle() const { return m_hwnd; }
    // False once the window is closed.
    bool isOpen() const override { return m_hwnd != nullptr; }
    // The control the layout names; null for a frame, which the window draws itself.
    HWND control(std::string_view name) const;

    // The screen's dots per inch the window is laid out for, and its twips per pixel (1440 / dpi).
    int twipsToPixels(int twips) const { return m_presenter.twipsToPixels(twips); }
    // Where the layout's row lies in the window's client area, in pixels.
    RECT controlRect(const ControlLayout& row) const;
    // How the named control draws its text: in the window's font, within the room its text has (a label's
    // whole box, a check box's caption beside its box, a button's inside its edges).
    std::unique_ptr<GdiTextMeasure> textMeasure(std::string_view name) const;

    // The window's flow: its handlers, the target and the run.
    MainWindowPresenter& presenter() { return m_presenter; }
    const std::filesystem::path& TargetPath() const { return m_presenter.TargetPath; }
    bool isShredding() const { return m_presenter.isShredding(); }

    // Readies the common controls (the progress bar and the tool tips; the manifest asks for their themed
    // version) before any window is made.
    static void Form_Initialize();
    void Form_Load() { m_presenter.Form_Load(); }
    // Shows the window (ShowWindow's command) and gives the first control of the tab order the focus.
    void show(int command);
    void RefreshTarget() { m_presenter.RefreshTarget(); }
    // The colour the window, its frames and check boxes are painted in now.
    COLORREF backColor() const { return m_backColor; }

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
        // The text drawn where the window text (which screen readers read) says more.
        std::optional<std::wstring> drawn;
    };

    // MainWindowView
    void setTitle(const std::string& text) override;
    void setControlText(std::string_view name, const std::string& text) override;
    void setSpokenText(std::string_view name, const std::string& text) override;
    void setControlToolTip(std::string_view name, const std::string& text) override;
    void setControlVisible(std::string_view name, bool visible) override;
    void setControlEnabled(std::string_view name, bool enabled) override;
    void setChecked(std::string_view name, bool checked) override;
    bool isChecked(std::string_view name) const override;
    void setChoices(std::string_view name, const std::vector<Choice>& entries) override;
    void setProgress(int percent) override;
    void setBackColor(std::int32_t colorNumber) override;
    std::unique_ptr<TextMeasure> measure(std::string_view name) const override;
    NumberFormat numberFormat() const override { return m_numbers; }
    void focusControl(std::string_view name) override;
    std::string focusedControl() const override;
    void dropFocus() override;
    bool screenReaderListening() const override;
    void announce(std::string_view name) override;
    void startProgressTimer(int ms) override;
    void stopProgressTimer() override;
    std::function<void()> runEndNotice() override;
    void awaitRun() override {}
    // Names that are no UTF-8, which look-alikes are made of, Windows does not hand out.
    bool startLookAlikeScan(const std::filesystem::path&) override { return false; }
    void stopLookAlikeScan() override {}
    void* dialogOwner() override { return m_hwnd; }
    void openHelp() override;
    void closeWindow() override;

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
    // The drop handler of every drop surface: the first file of the drop becomes the target. Frees drop.
    void OLEDragDrop(HDROP drop);
    // Whether a drop at point (client coordinates) lands on a surface that takes files.
    bool dropTakenAt(POINT point) const;
    static std::size_t indexOf(std::string_view name);
    void moveFocus(bool backwards);
    void activate(std::size_t index);

    const NumberFormat m_numbers;
    const std::function<void(HWND)> m_openHelp;
    MainWindowPresenter m_presenter;
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
    // The labels are live regions once the first announcement has made them so.
    bool m_liveRegions = false;
    // The last control of the tab order that had the focus: it gets it back when the window is activated.
    HWND m_lastFocus = nullptr;
};
