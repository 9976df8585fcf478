// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MainWindowModel.h"

#include "engine/OverwriteCheck.h"
#include "engine/ProgressLine.h"
#include "engine/ShredReport.h"
#include "engine/Shredder.h"
#include "model/TextMeasure.h"
#include "model/WindowLayout.h"
#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/NativeText.h"
#include "platform/PathDisplay.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"

#include <cmath>

namespace {

// textWith(name), the name shortened in the middle as far as needed for the whole text to fit the label;
// no name at all when even an ellipsis does not fit.
template <typename TextWith>
std::string fitted(const TextWith& textWith, const std::string& name, const TextMeasure& label)
{
    std::string text = textWith(name);
    if (label.fitsWhole(text))
        return text;
    text = textWith(std::string());
    int low = 0;
    int high = label.width(name);
    while (low < high) {
        const int width = (low + high + 1) / 2;
        std::string candidate = textWith(label.elideMiddle(name, width));
        if (label.fitsWhole(candidate)) {
            text = std::move(candidate);
            low = width;
        } else {
            high = width - 1;
        }
    }
    return text;
}

} // namespace

MainWindowModel::MainWindowModel(FileSystem& fileSystem, double twipsPerPixel, const NumberFormat& numbers)
    : m_fileSystem(fileSystem)
    , m_twipsPerPixel(twipsPerPixel)
    , m_numbers(numbers)
    , m_identity(std::make_unique<FileIdentity>())
{}

MainWindowModel::~MainWindowModel()
{
    if (m_release.joinable())
        m_release.join();
}

int MainWindowModel::twipsToPixels(int twips) const
{
    return int(std::lround(twips / m_twipsPerPixel));
}

const PanelState& MainWindowModel::refresh(const std::filesystem::path& target, const LookAlikes& lookAlikes,
                                           const TextMeasure& nameMeasure)
{
    const bool empty = target.empty();
    // What a killed run left beside the file is finished first, before the file is looked at.
    const LeftoverReport leftovers =
        empty ? LeftoverReport() : m_fileSystem.finishLeftovers(target.parent_path());
    // Only the refresh right after a run that left its target may take the run's look at it.
    const std::unique_ptr<StorageMap> storageLeft = std::move(m_storageLeft);
    *m_identity = empty ? FileIdentity() : m_fileSystem.identify(target);
    PanelState state;
    state.title = PanelText::windowTitle();
    ShowNameAndFolder(state, target, nameMeasure);
    SetPanelState(state, empty);
    m_describable = true;
    m_folderTarget = false;
    if (!empty) {
        ShowFileAttributes(state, target);
        ShowFileSize(state, target);
    }

    // A target that cannot be read cannot be destroyed either, nor can a folder: say so in place of the
    // question. One whose file system will keep copies is warned of in its place, so that the user can
    // choose another way; where no run could see other users' programs holding the file, the question
    // says so.
    // A read-only medium is said so, and the file is not offered for deletion, as for a folder.
    // A file the kernel only shows (/sys, /proc) is not offered either, nor a FIFO, socket or device, nor a
    // file marked immutable or append-only; one whose sweeps cannot fit is warned of, and the button stays,
    // as the space may be freed before it is pressed.
    std::string warning;
    m_readOnlyTarget = false;
    RunOutlook outlook;
    if (!empty && m_describable && !m_folderTarget) {
        const StorageMap storage = storageLeft ? *storageLeft : m_fileSystem.storageMapOf(target);
        m_readOnlyTarget = storage.readOnly;
        warning = ShredReport::warningText(OverwriteCheck::expect(storage));
        outlook = m_fileSystem.outlook(*m_identity);
    }
    const auto say = [&state](MessageKind kind, std::string text) {
        state.messageKind = kind;
        state.message = std::move(text);
    };
    if (outlook.status == OpenStatus::PseudoFile) {
        say(MessageKind::PseudoFileRefusal, ShredReport::pseudoFileText());
        state.deleteEnabled = false;
    } else if (outlook.status == OpenStatus::CloudOnly) {
        say(MessageKind::CloudOnlyRefusal, ShredReport::cloudOnlyText());
        state.deleteEnabled = false;
    } else if (const std::string refusal = ShredReport::loadRefusalText(outlook.status); !refusal.empty()) {
        // No run would open it: a FIFO, socket or device, or a file marked to stay as it is.
        say(MessageKind::UnopenableRefusal, refusal);
        state.deleteEnabled = false;
    } else if (m_folderTarget) {
        say(MessageKind::FolderRefusal, PanelText::folderText());
    } else if (!m_describable) {
        say(MessageKind::UnreadableRefusal, PanelText::notDescribableText(target));
    } else if (m_readOnlyTarget) {
        say(MessageKind::ReadOnlyRefusal, PanelText::readOnlyText());
    } else if (outlook.status == OpenStatus::NoSpace) {
        say(MessageKind::NoSpaceWarning,
            ShredReport::noSpaceWarningText(outlook.spaceNeeded, outlook.spaceFree, m_numbers));
    } else if (outlook.cloud) {
        say(MessageKind::CloudWarning, ShredReport::cloudWarningText());
    } else if (!warning.empty()) {
        say(MessageKind::CopiesWarning, warning);
    } else if (outlook.streams > 0) {
        say(MessageKind::StreamsQuestion, ShredReport::streamsQuestion(outlook.streams));
    } else if (m_fileSystem.openersMayBeUnseen(target)) {
        say(empty ? MessageKind::None : MessageKind::UncheckedOpeners, PanelText::uncheckedOpenersQuestion());
    } else {
        say(empty ? MessageKind::None : MessageKind::Question, std::string(WindowLayout::Question));
    }
    if (!m_describable || m_readOnlyTarget)
        state.deleteEnabled = false;

    // The look-alikes of a command-line target: while they are looked for, the name may stand for another
    // file, which no run may hit meanwhile; once found and until one is chosen, the panel describes the
    // name as given, which no run may take either.
    const bool choosing = !empty && lookAlikes.count > 0;
    state.choiceVisible = choosing;
    state.fileNameVisible = !empty && !choosing;
    if (lookAlikes.pending && !empty) {
        if (!choosing) {
            say(MessageKind::LookAlikeScan, TargetIntake::lookAlikeScanText());
            state.deleteEnabled = false;
        } else if (!lookAlikes.chosen) {
            say(MessageKind::LookAlikeChoice, TargetIntake::ambiguityText(std::size_t(lookAlikes.count)));
            state.deleteEnabled = false;
        }
    }
    // Told once, in place of whatever the file's own line is; loaded again, the file shows that line.
    if (leftovers.any()) {
        say(MessageKind::LeftoverNotice, ShredReport::leftoverText(leftovers));
        state.deleteEnabled = false;
    }
    m_panel = std::move(state);
    return m_panel;
}

void MainWindowModel::ShowNameAndFolder(PanelState& state, const std::filesystem::path& target,
                                        const TextMeasure& nameMeasure) const
{
    // Bytes that are no UTF-8 are shown as "\xE4"; the target itself keeps them. A name too long for its
    // line keeps its start and its extension; screen readers get it whole.
    // Split before the escapes go in: on Windows their backslash would pass for a separator.
    const std::string bytes = NativeText::bytes(target);
    state.fileNameWhole = PathDisplay::displayText(PanelText::fileName(bytes));
    state.fileName = nameMeasure.elideMiddle(state.fileNameWhole,
                                             twipsToPixels(WindowLayout::control("lblFileName").width));
    state.folder = PathDisplay::displayText(PanelText::parentFolder(bytes));
}

void MainWindowModel::SetPanelState(PanelState& state, bool empty)
{
    state.empty = empty;
    state.deleteEnabled = !empty;
}

void MainWindowModel::ShowFileAttributes(PanelState& state, const std::filesystem::path& target)
{
    try {
        const int word = m_fileSystem.attributes(target);
        if (word & FileAttributes::Directory) {
            // The words of the last file would stand beside the folder's name.
            state.attributes = PanelText::folderAttributeText();
            m_folderTarget = true;
            m_describable = false;
        } else if (const auto text = PanelText::attributeText(word)) {
            state.attributes = *text;
        }
    } catch (const FileError&) {
        state.attributes = PanelText::unreadableAttributeText();
        m_describable = false;
    }
}

void MainWindowModel::ShowFileSize(PanelState& state, const std::filesystem::path& target)
{
    try {
        state.sizeBytes = m_fileSystem.fileLength(target);
        state.sizeRoomPixels = twipsToPixels(WindowLayout::control("Image2").left) -
                               twipsToPixels(WindowLayout::control("lblFileSize").left) -
                               twipsToPixels(WindowLayout::SizeGap);
    } catch (const FileError&) {
        state.sizeText = PanelText::unknownSizeText();
        m_describable = false;
    }
}

// The identity holds the file itself: when it is the last hold on a removed file, the file's blocks are
// freed as it goes, in proportion to its size (a quarter of a second for 512 MiB), which the window's thread
// is not to wait for.
void MainWindowModel::releaseIdentity()
{
    if (m_release.joinable())
        m_release.join();
    m_release = std::thread([held = std::move(*m_identity)]() mutable { held = FileIdentity(); });
    *m_identity = FileIdentity();
}

bool MainWindowModel::deleteClicked(std::int64_t nowMs)
{
    // A click while a run is going on is not obeyed: the new target it would destroy is dropped by the
    // finishing run anyway, and a second run would interleave two files' sweeps. It is answered, though,
    // so that nobody takes the finishing run's success for the second file's.
    if (m_shredding) {
        m_waitNoticeUntilMs = nowMs + WaitNoticeMs;
        return false;
    }
    m_shredding = true;
    m_waitNoticeUntilMs = -1;
    return true;
}

bool MainWindowModel::closeRequested()
{
    // Closing in the middle of a run would leave the running command without its window.
    if (m_shredding) {
        m_closeWanted = true;
        return false;
    }
    return true;
}

std::optional<std::string> MainWindowModel::runFailedMessage() const
{
    // The file vanished or cannot be queried or changed. The refreshed panel shows why: a vanished file
    // as missing, one that is still there (read-only and immutable) as refused.
    if (!m_describable)
        return std::nullopt;
    return m_readOnlyTarget ? ShredReport::readOnlyRefusalText()
                            : ShredReport::openFailureText(OpenStatus::AccessDenied);
}

RunEnd MainWindowModel::runEnded(const modShredder::ShredResult& result, const Run& run,
                                 const TextMeasure& notice)
{
    m_shredding = false;
    RunEnd end;
    if (!result.nameRemoved) {
        if (!run.targetChanged && result.storageLeft)
            m_storageLeft = std::make_unique<StorageMap>(*result.storageLeft);
        return end;
    }
    end.clearTarget = true;
    if (!run.targetChanged)
        releaseIdentity();
    // Only a run that can be vouched for closes the window, whether the option or a close during the run
    // asks for it; otherwise the user has to read that the file was not completely overwritten, or that
    // copies or further names remain.
    if ((run.quitWanted || m_closeWanted) && result.destroyed() && !result.overwrite.otherNames) {
        m_closeWanted = false;
        m_closeForced = false;
        end.close = true;
        return end;
    }
    const std::string report = result.fullyOverwritten() ? ShredReport::overwriteText(result.overwrite)
                                                         : ShredReport::incompleteText();
    end.notice = report;
    // The file chosen during the run was on screen until now: name the one that was destroyed, and say that
    // the other is untouched where the label has room for it.
    if (run.targetChanged) {
        const std::string name =
            notice.elideMiddle(run.fileName, twipsToPixels(WindowLayout::control("lblEmpty").width) / 2);
        end.notice = ShredReport::withDestroyedName(report, name);
        if (!notice.linesFit(*end.notice))
            end.notice = ShredReport::withDestroyedName(report, name, false);
    }
    return end;
}

std::optional<std::string> MainWindowModel::runMessage(const modShredder::ShredResult& result, const Run& run,
                                                       const TextMeasure& message) const
{
    if (result.nameRemoved)
        return std::nullopt;
    if (result.opened()) {
        // The file is still there under its name, to be run again; a target chosen meanwhile stays chosen.
        const std::string report =
            result.writesOk && result.syncsOk ? ShredReport::nameKeptText() : ShredReport::incompleteText();
        if (!run.targetChanged)
            return report;
        return ShredReport::withDestroyedName(report, run.fileName, false);
    }
    // Nothing was destroyed: the file and the target stay, and the window says why, on the panel described
    // afresh (a file changed since it was loaded is to be looked at again).
    std::optional<std::string> text;
    if (m_readOnlyTarget)
        text = ShredReport::readOnlyRefusalText();
    else if (result.open == OpenStatus::NoSpace)
        text = ShredReport::noSpaceText(result.spaceNeeded, result.spaceFree, m_numbers);
    else if (result.open == OpenStatus::InUse)
        text = ShredReport::inUseText(result.holder, result.holderIsTilgomatic);
    else if (result.open != OpenStatus::Changed || m_describable)
        text = ShredReport::openFailureText(result.open);
    // What the file now is may need a warning of its own (further names, copies); it goes with the word
    // that nothing was done, where both fit.
    const std::string& warning = m_panel.message;
    if (result.open == OpenStatus::Changed && m_describable && m_panel.deleteEnabled &&
        isWarning(m_panel.messageKind)) {
        text = ShredReport::changedText(warning);
        if (!message.linesFit(*text))
            text = ShredReport::changedText(warning, false);
        if (!message.linesFit(*text))
            text = ShredReport::openFailureText(result.open);
    }
    return text;
}

bool MainWindowModel::endRun()
{
    m_shredding = false;
    m_closeWanted = false;
    const bool close = m_closeForced;
    m_closeForced = false;
    return close;
}

ProgressState MainWindowModel::progress(const ProgressLine& line, const Run& run, std::int64_t nowMs,
                                        const TextMeasure& message) const
{
    ProgressState state;
    if (m_closeWanted)
        state.message = line.closingText();
    else if (nowMs < m_waitNoticeUntilMs)
        state.message =
            fitted([&line](const auto& name) { return line.waitText(name); }, run.fileName, message);
    else if (run.targetChanged) // the panel above shows another file
        state.message =
            fitted([&line](const auto& name) { return line.textNaming(name); }, run.fileName, message);
    else
        state.message = line.text();
    state.title = line.titleWith(PanelText::windowTitle());
    state.percent = line.percent();
    return state;
}
