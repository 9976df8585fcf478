// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MainWindowPresenter.h"

#include "engine/ShredRun.h"
#include "engine/Shredder.h"
#include "model/MainWindowView.h"
#include "model/WindowLayout.h"
#include "platform/ColorText.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/ShellEntries.h"
#include "shell/BrowseFolders.h"
#include "shell/ExplorerKontext.h"
#include "target/CompactPath.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"

#include <exception>

MainWindowPresenter::MainWindowPresenter(MainWindowView& view, const Services& services, double twipsPerPixel)
    : m_view(view)
    , m_fileSystem(services.fileSystem)
    , m_browseDialog(services.browseDialog)
    , m_program(services.program)
    , m_shellEntries(services.shellEntries)
    , m_model(m_fileSystem, twipsPerPixel, services.numbers)
    , m_options(services.settings, services.registry, m_program, services.rootForOtherUser)
{}

// A run still going is finished first: the file is never abandoned halfway.
MainWindowPresenter::~MainWindowPresenter() = default;

void MainWindowPresenter::setTwipsPerPixel(double twipsPerPixel)
{
    m_model.setTwipsPerPixel(twipsPerPixel);
}

void MainWindowPresenter::layoutChanged()
{
    // The name, the folder and the size are fitted to the labels' new widths; a run's outcome stays.
    if (!m_loaded)
        return;
    const std::optional<std::string> outcome = m_outcomeMessage;
    RefreshTarget();
    if (outcome)
        showOutcome(*outcome);
}

void MainWindowPresenter::Form_Initialize()
{
    if (!m_options.explorerEntryChangeable()) {
        m_view.setControlEnabled("chkExplorer", false);
        m_view.setControlToolTip("chkExplorer", std::string(WindowLayout::RootForOtherUserToolTip));
    }
}

void MainWindowPresenter::Form_Load()
{
    IsLoading = true;
    // Only the text "1" ticks a box; anything else stored there counts as unticked. A ticked box is stored
    // again, as the change of its state would store it.
    m_view.setChecked("chkExplorer", m_options.explorerEntry());
    m_view.setChecked("chkQuit", m_options.quitAfterDelete());
    if (m_view.isChecked("chkQuit"))
        chkQuit_Click();
    TargetPath = TargetIntake::commandLineTarget(m_program.arguments, m_program.workingFolder, m_fileSystem);
    startLookAlikeScan();
    RefreshTarget();
    ApplyBackColor();
    // Where the entry is wanted, only what is missing of it in the file managers' files is written again
    // (a file manager installed since); the registry itself is not touched.
    if (m_shellEntries && m_view.isChecked("chkExplorer"))
        m_shellEntries->bringInLine();
    m_loaded = true;
    IsLoading = false;
}

void MainWindowPresenter::RefreshTarget()
{
    m_outcomeMessage.reset();
    if (TargetPath.empty())
        forgetLookAlikes();
    const MainWindowModel::LookAlikes lookAlikes{
        .pending = !m_lookAlikeSource.empty(), .count = m_lookAlikes.size(), .chosen = m_lookAlikeIndex > 0};
    const PanelState& state = m_model.refresh(TargetPath, lookAlikes, *m_view.measure("lblFileName"));
    m_view.setTitle(state.title);
    m_view.setControlText("lblFileName", state.fileName);
    m_view.setSpokenText("lblFileName", state.fileNameWhole);
    m_view.setControlText("lblFilePath",
                          modCompactPath::CompactPath(*m_view.measure("lblFilePath"), state.folder,
                                                      WindowLayout::FilePathWidth, m_model.twipsPerPixel()));
    m_view.setControlVisible("lblEmpty", state.empty);
    for (const char* name : {"lblFileAttribute", "lblFileAttributeTitle", "lblFileNameTitle", "lblFilePath",
                             "lblFilePathTitle", "lblFileSize", "lblMsg"})
        m_view.setControlVisible(name, !state.empty);
    if (state.attributes)
        m_view.setControlText("lblFileAttribute", *state.attributes);
    if (state.sizeText)
        m_view.setControlText("lblFileSize", *state.sizeText);
    else if (state.sizeBytes)
        m_view.setControlText("lblFileSize",
                              PanelText::sizeText(*state.sizeBytes, m_view.numberFormat(),
                                                  *m_view.measure("lblFileSize"), state.sizeRoomPixels));
    m_view.setControlText("lblMsg", state.message);
    m_view.setControlEnabled("cmdDelete", state.deleteEnabled);
    m_view.setControlVisible("cboLookAlike", state.choiceVisible);
    m_view.setControlVisible("lblFileName", state.fileNameVisible);
    // A target chosen during a run is shown, but the line below it keeps telling of the run.
    showProgress();
}

void MainWindowPresenter::ApplyBackColor()
{
    // A text that does not convert, or a colour no window would take, keeps the colours the window has
    // rather than painting it black.
    const auto stored = m_options.scheme();
    if (!stored)
        return;
    const auto number = ColorText::number(*stored);
    if (number && ColorText::color(*number))
        m_view.setBackColor(*number);
}

void MainWindowPresenter::cmdDelete_Click()
{
    // A click during a run is answered in the progress line, not obeyed.
    if (!m_model.deleteClicked(runClockMs())) {
        showProgress();
        return;
    }
    // The panel described the target just now: its whole name is the one the run destroys.
    m_runFileName = m_model.panel().fileNameWhole;
    m_runPath = TargetPath;
    m_progressLine = ProgressLine();
    m_progressShown = false;
    m_runStart = std::chrono::steady_clock::now();
    m_run = std::make_unique<ShredRun>(TargetPath, ShredPasses, m_fileSystem, m_model.targetIdentity(),
                                       m_view.runEndNotice());
    m_view.startProgressTimer(int(ProgressLine::ShowAfterMs));
    m_run->start();
    // Last: a view that waits here may be gone when the wait ends.
    m_view.awaitRun();
}

void MainWindowPresenter::progressTimer()
{
    // The run's own word of its end may have been lost (a full message queue): the timer ends it then.
    if (m_run && m_run->finished()) {
        runFinished();
        return;
    }
    // First half a second into the run, then every quarter second until it ends.
    if (!m_progressShown) {
        m_progressShown = true;
        m_view.startProgressTimer(int(ProgressLine::UpdateIntervalMs));
        m_view.setControlVisible("progressValue", true);
    }
    showProgress();
}

// The run has ended: the model decides what the window does with its outcome.
void MainWindowPresenter::runFinished()
{
    if (!m_run)
        return;
    m_view.stopProgressTimer();
    m_run->wait();
    modShredder::ShredResult result;
    bool failed = false;
    try {
        result = m_run->result();
    } catch (const std::exception&) {
        failed = true;
    }
    const MainWindowModel::Run run = currentRun();
    m_run.reset();
    m_progressShown = false;
    m_view.setControlVisible("progressValue", false);
    // The outcome is read out once, where it appears. The delete button, about to be disabled, would first
    // hand its focus to the next control, which a screen reader reads in between, and a focused question
    // label would be read both for its new text and for taking the focus.
    if (m_view.screenReaderListening()) {
        const std::string focus = m_view.focusedControl();
        if (focus == "cmdDelete" || focus == "lblMsg")
            m_view.dropFocus();
    }

    if (failed) {
        // Nothing was opened or written; the panel is described afresh so that it shows why.
        RefreshTarget();
        if (const auto text = m_model.runFailedMessage())
            showOutcome(*text);
        if (!endRun())
            announce("lblMsg");
        return;
    }
    const RunEnd end = m_model.runEnded(result, run, *m_view.measure("lblEmpty"));
    if (end.clearTarget)
        TargetPath.clear();
    if (end.close) {
        m_view.closeWindow();
        return;
    }
    if (end.notice)
        m_view.setControlText("lblEmpty", *end.notice);
    RefreshTarget();
    if (const auto text = m_model.runMessage(result, run, *m_view.measure("lblMsg")))
        showOutcome(*text);
    if (!endRun())
        announce(result.nameRemoved ? "lblEmpty" : "lblMsg");
}

void MainWindowPresenter::showOutcome(const std::string& text)
{
    m_view.setControlText("lblMsg", text);
    m_outcomeMessage = text;
}

bool MainWindowPresenter::endRun()
{
    if (!m_model.endRun())
        return false;
    m_view.closeWindow();
    return true;
}

void MainWindowPresenter::announce(std::string_view control)
{
    // One announcement per outcome. A notice is announced as it appears; the question's label, where a
    // screen reader listens, is read as it takes the focus (its text changed while it had none), and
    // announcing it as well would have it read twice.
    if (WindowLayout::control(control).notice || !m_view.screenReaderListening())
        m_view.announce(control);
    else
        m_view.focusControl(control);
}

MainWindowModel::Run MainWindowPresenter::currentRun() const
{
    return {.fileName = m_runFileName,
            .targetChanged = TargetPath != m_runPath,
            .quitWanted = m_view.isChecked("chkQuit")};
}

std::int64_t MainWindowPresenter::runClockMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 m_runStart)
        .count();
}

// Brings the progress line, the title's percentage and the progress bar in line with the running run.
void MainWindowPresenter::showProgress()
{
    if (!m_run || !m_progressShown)
        return;
    const std::int64_t now = runClockMs();
    m_progressLine.update(ProgressLine::sampleOf(m_run->progress(), now));
    const ProgressState state =
        m_model.progress(m_progressLine, currentRun(), now, *m_view.measure("lblMsg"));
    m_view.setControlText("lblMsg", state.message);
    m_view.setTitle(state.title);
    m_view.setProgress(state.percent);
}

bool MainWindowPresenter::closeRequested()
{
    if (m_model.closeRequested())
        return true;
    if (m_run && !m_progressShown) {
        m_progressShown = true;
        m_view.setControlVisible("progressValue", true);
    }
    showProgress();
    return false;
}

void MainWindowPresenter::closeWhenRunEnds()
{
    m_model.closeWhenRunEnds();
    m_view.closeWindow();
}

std::optional<std::string> MainWindowPresenter::sessionEnding()
{
    if (!isShredding())
        return std::nullopt;
    closeWhenRunEnds();
    return m_progressLine.closingText();
}

void MainWindowPresenter::waitForRun()
{
    if (m_run)
        m_run->wait();
}

void MainWindowPresenter::cmdCancel_Click()
{
    m_view.closeWindow();
}

void MainWindowPresenter::cmdCancel_KeyDown(WindowOptions::SchemeKey key)
{
    m_options.storeScheme(key);
    ApplyBackColor();
}

void MainWindowPresenter::chkExplorer_Click()
{
    if (IsLoading)
        return;
    // A refused change puts the box back without a second click.
    m_view.setChecked("chkExplorer", m_options.explorerClicked(m_view.isChecked("chkExplorer")));
}

void MainWindowPresenter::chkExplorer_ToolTip()
{
    if (m_shellEntries)
        m_view.setControlToolTip("chkExplorer",
                                 modExplorerKontext::restartHint(m_shellEntries->runningWithDelayedUpdate()));
}

void MainWindowPresenter::chkQuit_Click()
{
    m_options.setQuitAfterDelete(m_view.isChecked("chkQuit"));
}

void MainWindowPresenter::Image1_Click()
{
    const std::filesystem::path chosen = modBrowseFolders::BrowseForFolder(
        m_browseDialog, std::string(WindowLayout::BrowseTitle), modBrowseFolders::startFolder(TargetPath),
        m_view.dialogOwner(), false, std::nullopt, true, true);
    // A cancel keeps the loaded target, so the target and the panel still agree. A run that ended while the
    // dialog was open may have closed the window.
    if (chosen.empty() || !m_view.isOpen())
        return;
    OLEDragDrop(chosen);
}

void MainWindowPresenter::Image2_Click()
{
    m_view.openHelp();
}

void MainWindowPresenter::OLEDragDrop(const std::filesystem::path& path)
{
    if (path.empty())
        return;
    TargetPath = path;
    forgetLookAlikes();
    RefreshTarget();
}

void MainWindowPresenter::startLookAlikeScan()
{
    forgetLookAlikes();
    if (TargetPath.empty() || !TargetIntake::mayStandForOthers(TargetPath))
        return;
    if (m_view.startLookAlikeScan(TargetPath))
        m_lookAlikeSource = TargetPath;
}

void MainWindowPresenter::forgetLookAlikes()
{
    m_view.stopLookAlikeScan();
    m_lookAlikeSource.clear();
    m_lookAlikes.clear();
    m_lookAlikeIndex = 0;
}

void MainWindowPresenter::lookAlikesFound(const std::filesystem::path& path,
                                          const std::vector<std::filesystem::path>& found)
{
    if (m_lookAlikeSource.empty() || path != m_lookAlikeSource)
        return;
    // Only the name itself: nothing to choose.
    if (found.empty() || (found.size() == 1 && found.front() == path)) {
        m_lookAlikeSource.clear();
        RefreshTarget();
        return;
    }
    m_lookAlikes = found;
    m_lookAlikeIndex = 0;
    const std::unique_ptr<TextMeasure> font = m_view.measure("cboLookAlike");
    const int room = twipsToPixels(WindowLayout::control("cboLookAlike").width) -
                     twipsToPixels(WindowLayout::ChoiceChrome);
    const NumberFormat numbers = m_view.numberFormat();
    std::vector<MainWindowView::Choice> entries{
        {std::string(WindowLayout::ChoicePrompt), std::string(WindowLayout::ChoicePrompt)}};
    for (const std::filesystem::path& candidate : found) {
        std::int64_t size = -1;
        try {
            size = m_fileSystem.fileLength(candidate);
        } catch (const FileError&) {
            // Shown as unknown; loading it then tells why.
        }
        const auto modified = m_fileSystem.modifiedTime(candidate);
        entries.push_back({TargetIntake::candidateText(candidate, size, modified, numbers, *font, room),
                           TargetIntake::candidateText(candidate, size, modified, numbers)});
    }
    m_view.setChoices("cboLookAlike", entries);
    RefreshTarget();
    announce("lblMsg");
}

// A candidate becomes the target with its exact bytes; the first entry goes back to the name as given.
void MainWindowPresenter::lookAlikeChosen(int index)
{
    if (m_lookAlikes.empty() || index < 0 || std::size_t(index) > m_lookAlikes.size())
        return;
    m_lookAlikeIndex = index;
    TargetPath = index == 0 ? m_lookAlikeSource : m_lookAlikes[std::size_t(index) - 1];
    RefreshTarget();
}
