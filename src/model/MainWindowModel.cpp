// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MainWindowModel.h"

#include "engine/OverwriteCheck.h"
#include "engine/ShredReport.h"
#include "model/CoreText.h"
#include "model/TextMeasure.h"
#include "model/WindowLayout.h"
#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"

using CoreText::arg;
using CoreText::toStd;

MainWindowModel::MainWindowModel(FileSystem& fileSystem, double twipsPerPixel)
    : m_fileSystem(fileSystem)
    , m_twipsPerPixel(twipsPerPixel)
    , m_identity(std::make_unique<FileIdentity>())
{}

MainWindowModel::~MainWindowModel() = default;

int MainWindowModel::twipsToPixels(int twips) const
{
    const double pixels = twips / m_twipsPerPixel;
    return pixels >= 0.0 ? int(pixels + 0.5) : int(pixels - 0.5);
}

const PanelState& MainWindowModel::refresh(const std::filesystem::path& target, const LookAlikes& lookAlikes,
                                           const TextMeasure& nameMeasure)
{
    const bool empty = target.empty();
    *m_identity = empty ? FileIdentity() : m_fileSystem.identify(arg(target));
    PanelState state;
    state.title = toStd(PanelText::windowTitle());

    // Bytes that are no UTF-8 are shown as "\xE4"; the target itself keeps them. A name too long for its
    // line keeps its start and its extension; screen readers get it whole.
    const QString shown = NativePath::displayText(arg(target));
    state.fileNameWhole = toStd(PanelText::fileName(shown));
    state.fileName = nameMeasure.elideMiddle(state.fileNameWhole,
                                             twipsToPixels(WindowLayout::control("lblFileName").width));
    state.folder = toStd(PanelText::parentFolder(shown));

    state.empty = empty;
    state.deleteEnabled = !empty;
    m_describable = true;
    m_folderTarget = false;
    if (!empty) {
        try {
            const int word = m_fileSystem.attributes(arg(target));
            if (word & FileAttributes::Directory) {
                // The words of the last file would stand beside the folder's name.
                state.attributes = toStd(PanelText::folderAttributeText());
                m_folderTarget = true;
                m_describable = false;
            } else if (const auto text = PanelText::attributeText(word)) {
                state.attributes = toStd(*text);
            }
        } catch (const FileError&) {
            state.attributes = toStd(PanelText::unreadableAttributeText());
            m_describable = false;
        }
        try {
            state.sizeBytes = m_fileSystem.fileLength(arg(target));
            state.sizeRoomPixels = twipsToPixels(WindowLayout::control("Image2").left) -
                                   twipsToPixels(WindowLayout::control("lblFileSize").left) -
                                   twipsToPixels(WindowLayout::SizeGap);
        } catch (const FileError&) {
            state.sizeText = toStd(PanelText::unknownSizeText());
            m_describable = false;
        }
    }

    // A target that cannot be read cannot be destroyed either, nor can a folder: say so in place of the
    // question. One whose file system will keep copies is warned of in its place, so that the user can
    // choose another way; where no run could see other users' programs holding the file, the question
    // says so.
    // A read-only medium is said so, and the file is not offered for deletion, as for a folder.
    // A file the kernel only shows (/sys, /proc) is not offered either; one whose sweeps cannot fit is
    // warned of, and the button stays, as the space may be freed before it is pressed.
    std::string warning;
    m_readOnlyTarget = false;
    RunOutlook outlook;
    if (!empty && m_describable && !m_folderTarget) {
        const StorageMap storage = m_fileSystem.storageMapOf(arg(target));
        m_readOnlyTarget = storage.readOnly;
        warning = toStd(ShredReport::warningText(OverwriteCheck::expect(storage)));
        outlook = m_fileSystem.outlook(*m_identity);
    }
    if (outlook.status == OpenStatus::PseudoFile) {
        state.message = toStd(ShredReport::pseudoFileText());
        state.deleteEnabled = false;
    } else if (m_folderTarget) {
        state.message = toStd(PanelText::folderText());
    } else if (!m_describable) {
        state.message = toStd(PanelText::notDescribableText(arg(target)));
    } else if (m_readOnlyTarget) {
        state.message = toStd(PanelText::readOnlyText());
    } else if (outlook.status == OpenStatus::NoSpace) {
        state.message = toStd(
            ShredReport::noSpaceWarningText(outlook.spaceNeeded, outlook.spaceFree, CoreText::locale()));
    } else if (!warning.empty()) {
        state.message = warning;
    } else {
        state.message = m_fileSystem.openersMayBeUnseen(arg(target))
                            ? toStd(PanelText::uncheckedOpenersQuestion())
                            : std::string(WindowLayout::Question);
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
            state.message = toStd(TargetIntake::lookAlikeScanText());
            state.deleteEnabled = false;
        } else if (!lookAlikes.chosen) {
            state.message = toStd(TargetIntake::ambiguityText(qsizetype(lookAlikes.count)));
            state.deleteEnabled = false;
        }
    }
    m_panel = std::move(state);
    return m_panel;
}
