// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ProgressLine.h"
#include "model/MainWindowModel.h"
#include "model/WindowOptions.h"
#include "platform/NumberFormat.h"
#include "platform/ProgramInfo.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class BrowseDialog;
class FileSystem;
class MainWindowView;
class Registry;
class SettingsStore;
class ShellEntries;
class ShredRun;

// The main window's flow, written once for every window: each handler makes the model's calls in their
// order and tells the view (MainWindowView) what to show. A window builds its controls from WindowLayout,
// hands its events to the handlers named after them (cmdDelete_Click, Form_Load, ...) and does nothing else.
//
// Everything here runs on the window's thread. The delete command overwrites the file on the engine's
// worker thread (ShredRun); the view hands its end back (runFinished).
class MainWindowPresenter
{
public:
    // Passes that the delete command asks of the shredder.
    static constexpr std::int16_t ShredPasses = 9;

    struct Services
    {
        FileSystem& fileSystem;
        SettingsStore& settings;
        Registry& registry;
        BrowseDialog& browseDialog;
        ProgramInfo program;
        // Started as root on behalf of another user (whose menus are not root's to change).
        bool rootForOtherUser = false;
        // The file managers' entries kept in line with the option; none where the registry is the entry.
        ShellEntries* shellEntries = nullptr;
        // How the user's locale writes numbers.
        NumberFormat numbers = {};
    };

    MainWindowPresenter(MainWindowView& view, const Services& services, double twipsPerPixel);
    ~MainWindowPresenter();
    MainWindowPresenter(const MainWindowPresenter&) = delete;
    MainWindowPresenter& operator=(const MainWindowPresenter&) = delete;

    // The full path of the file to destroy; empty when none is loaded.
    std::filesystem::path TargetPath;
    // True exactly while Form_Load runs.
    bool IsLoading = false;

    bool isShredding() const { return m_model.isShredding(); }
    int twipsToPixels(int twips) const { return m_model.twipsToPixels(twips); }
    // The window moved to a screen of another pixel density; once its controls are laid out for it, the
    // panel is fitted to them afresh, and a run's outcome stays.
    void setTwipsPerPixel(double twipsPerPixel);
    void layoutChanged();

    // Start-up: the options' state of the controls, then the command line's target.
    void Form_Initialize();
    void Form_Load();
    // Brings title, labels, their visibility and cmdDelete in line with TargetPath, as the model describes
    // it.
    void RefreshTarget();
    // Recolours the window, the frames and the check boxes from the stored colour scheme.
    void ApplyBackColor();

    void cmdDelete_Click();
    void cmdCancel_Click();
    // A key pressed while "&Beenden" has the focus: F12 and F11 store a colour scheme; every key re-applies
    // the stored one.
    void cmdCancel_KeyDown(WindowOptions::SchemeKey key);
    void chkExplorer_Click();
    // The pointer rests on "Explorererweiterung": its tip names the file managers that need a restart.
    void chkExplorer_ToolTip();
    void chkQuit_Click();
    void Image1_Click();
    void Image2_Click();
    // A file dropped on a surface that takes it.
    void OLEDragDrop(const std::filesystem::path& path);
    // The look-alikes of the command-line target are found; one is chosen (0: the name as given).
    void lookAlikesFound(const std::filesystem::path& path, const std::vector<std::filesystem::path>& found);
    void lookAlikeChosen(int index);

    // The progress timer fired; the run's worker has ended (on the window's thread).
    void progressTimer();
    void runFinished();

    // The window is asked to close: false while it has to stay open until the run ends.
    bool closeRequested();
    // A close that no outcome may hold back (a logout, a signal): during a run it waits for the file, and
    // then closes whatever the run's outcome.
    void closeWhenRunEnds();
    // The session ends: during a run the reason it has to wait (and the window closes once the file is
    // destroyed); nullopt when it may end now.
    std::optional<std::string> sessionEnding();
    // Blocks until a running run has ended.
    void waitForRun();

private:
    void showProgress();
    void showOutcome(const std::string& text);
    // The run is over; true when a close that nothing may hold back closed the window.
    bool endRun();
    // Has a screen reader read the outcome in control once.
    void announce(std::string_view control);
    void startLookAlikeScan();
    void forgetLookAlikes();
    MainWindowModel::Run currentRun() const;
    std::int64_t runClockMs() const;

    MainWindowView& m_view;
    FileSystem& m_fileSystem;
    BrowseDialog& m_browseDialog;
    const ProgramInfo m_program;
    ShellEntries* const m_shellEntries;
    // The window's decisions; it also holds the file TargetPath named when it was last described, the only
    // one a run may touch.
    MainWindowModel m_model;
    WindowOptions m_options;
    bool m_loaded = false;
    // A run's outcome in place of the question, kept when the window is laid out afresh.
    std::optional<std::string> m_outcomeMessage;

    // The running delete command and its progress line, shown from half a second into the run.
    std::unique_ptr<ShredRun> m_run;
    ProgressLine m_progressLine;
    bool m_progressShown = false;
    std::string m_runFileName;
    std::filesystem::path m_runPath;
    std::chrono::steady_clock::time_point m_runStart;

    // The command-line target whose name may have been altered (a file manager's entry turns a byte that is
    // no UTF-8 into U+FFFD), while its look-alikes matter; empty otherwise. Then the files it may stand for,
    // once found, and the entry chosen among them.
    std::filesystem::path m_lookAlikeSource;
    std::vector<std::filesystem::path> m_lookAlikes;
    int m_lookAlikeIndex = 0;
};
