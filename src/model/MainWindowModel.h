// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/PanelState.h"
#include "model/ProgressState.h"
#include "model/RunEnd.h"
#include "platform/NumberFormat.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class FileSystem;
class ProgressLine;
class TextMeasure;
struct FileIdentity;
struct StorageMap;
namespace modShredder {
struct ShredResult;
}

// Every decision of the main window, free of any toolkit: what the panel shows for a target, and what the
// delete command makes of a run. A window (the Qt one, or another) builds its controls from WindowLayout,
// hands its events here and draws what comes back.
//
// The target is a std::filesystem::path holding the path's exact bytes: a name that is no UTF-8 stays the
// file it names, which a UTF-8 std::string could not promise.
class MainWindowModel
{
public:
    // Where the look-alikes of a command-line target stand: looked for (pending) until the choice is made.
    struct LookAlikes
    {
        bool pending = false;  // the target's name may stand for another file
        std::size_t count = 0; // files found to choose among; none while the scan runs
        bool chosen = false;   // one of them is chosen
    };

    // A delete command's run as the window saw it.
    struct Run
    {
        std::string fileName;       // the name of the file the run destroys, for the eye
        bool targetChanged = false; // another target was chosen during the run
        bool quitWanted = false;    // "Nach Löschen schliessen" is ticked
    };

    // How long the answer to a click on "&Datei löschen" during a run stays in the progress line.
    static constexpr std::int64_t WaitNoticeMs = 4000;

    // numbers: how the user's locale writes numbers, which the window's toolkit knows.
    MainWindowModel(FileSystem& fileSystem, double twipsPerPixel, const NumberFormat& numbers = {});
    ~MainWindowModel();
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    // Pixels for a figure in twips, rounded half away from zero.
    int twipsToPixels(int twips) const;
    // The window moved to a screen of another pixel density.
    void setTwipsPerPixel(double twipsPerPixel) { m_twipsPerPixel = twipsPerPixel; }
    double twipsPerPixel() const { return m_twipsPerPixel; }

    // RefreshTarget's decisions: describes target afresh (and takes its identity first, so that a file
    // swapped in meanwhile is never the one destroyed). nameMeasure measures the name's label.
    const PanelState& refresh(const std::filesystem::path& target, const LookAlikes& lookAlikes,
                              const TextMeasure& nameMeasure);
    const PanelState& panel() const { return m_panel; }

    // What the last refresh found.
    const FileIdentity& targetIdentity() const { return *m_identity; }
    bool describable() const { return m_describable; }
    bool folderTarget() const { return m_folderTarget; }
    bool readOnlyTarget() const { return m_readOnlyTarget; }

    // The delete command and closing during a run. A click on the delete button during a run is not
    // obeyed, only answered: true when it starts a run. runFailed, runEnded and runEndedWithout end it.
    bool deleteClicked(std::int64_t nowMs);
    bool isShredding() const { return m_shredding; }
    // The click answered during the run is told until then (-1: none).
    std::int64_t waitNoticeUntilMs() const { return m_waitNoticeUntilMs; }
    bool closeWanted() const { return m_closeWanted; }
    // The window is asked to close; false when it has to stay open until the run ends (it then closes once
    // the file is destroyed, and says so at once).
    bool closeRequested();
    // A close that no outcome may hold back (a logout, a signal): during a run it waits for the file.
    void closeWhenRunEnds() { m_closeForced = true; }

    // The run threw: nothing was opened or written. After the panel's refresh: the text for the question's
    // label, or nullopt to leave the refreshed panel's.
    std::optional<std::string> runFailedMessage() const;
    // The run has a result: what the window does before its refresh.
    RunEnd runEnded(const modShredder::ShredResult& result, const Run& run, const TextMeasure& notice);
    // ... and after it: the text for the question's label, or nullopt to leave it.
    std::optional<std::string> runMessage(const modShredder::ShredResult& result, const Run& run,
                                          const TextMeasure& message) const;
    // The run is over without an outcome that could be vouched for: a close asked for meanwhile is dropped,
    // so that the window can say what became of the file, unless nothing may hold it back (true: close).
    bool endRun();

    // The progress line, the title and the share for line's newest sample at nowMs.
    ProgressState progress(const ProgressLine& line, const Run& run, std::int64_t nowMs,
                           const TextMeasure& message) const;

private:
    // The steps of refresh, in their order: the name and the shortened folder, which labels show and
    // whether the delete button may be pressed, the attribute words, the size.
    void ShowNameAndFolder(PanelState& state, const std::filesystem::path& target,
                           const TextMeasure& nameMeasure) const;
    static void SetPanelState(PanelState& state, bool empty);
    // Lets go of the target's identity on a thread of its own.
    void releaseIdentity();
    void ShowFileAttributes(PanelState& state, const std::filesystem::path& target);
    void ShowFileSize(PanelState& state, const std::filesystem::path& target);

    FileSystem& m_fileSystem;
    double m_twipsPerPixel;
    const NumberFormat m_numbers;
    PanelState m_panel;
    std::unique_ptr<FileIdentity> m_identity;
    bool m_describable = true;
    bool m_folderTarget = false;
    bool m_readOnlyTarget = false;
    bool m_shredding = false;   // a delete command is running
    bool m_closeWanted = false; // the window was asked to close while a delete command ran
    bool m_closeForced = false; // ... and closes once it ends, whatever its outcome
    std::int64_t m_waitNoticeUntilMs = -1;
    std::thread m_release; // the last one of releaseIdentity
    // How the run's thread found the file it left, for the refresh that follows the run's end.
    std::unique_ptr<StorageMap> m_storageLeft;
};
