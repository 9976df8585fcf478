// SPDX-License-Identifier: GPL-3.0-or-later
// The window's decisions without a window: targets and their warnings, runs and their outcomes, closing
// during a run. The texts expected are the engine's and the target layer's own; what is tested is which
// one the model picks, and what it does with the buttons, the labels and the window.
#include "model/MainWindowModel.h"
#include "engine/ProgressLine.h"
#include "engine/ShredReport.h"
#include "engine/Shredder.h"
#include "model/TextMeasure.h"
#include "model/WindowLayout.h"
#include "platform/FileAttributes.h"
#include "platform/NumberFormat.h"
#include "support/OsPath.h"
#include "support/RecordingFileSystem.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string& s(const std::string& text)
{
    return text;
}

// Every character 7 pixels wide; a label holds `room` pixels of text.
class FakeMeasure : public TextMeasure
{
public:
    explicit FakeMeasure(int room = 100000)
        : m_room(room)
    {}
    int width(std::string_view utf8) const override { return 7 * int(characters(utf8).size()); }
    std::string elideMiddle(std::string_view utf8, int pixels) const override
    {
        std::vector<std::string> text = characters(utf8);
        while (!text.empty() && 7 * int(text.size()) > pixels)
            text.erase(text.begin() + std::ptrdiff_t(text.size() / 2));
        std::string joined;
        for (const std::string& character : text)
            joined += character;
        return joined;
    }
    std::vector<std::size_t> graphemeBoundaries(std::string_view) const override { return {}; }
    bool fitsWhole(std::string_view utf8) const override { return width(utf8) <= m_room; }
    bool linesFit(std::string_view utf8) const override { return width(utf8) <= m_room; }

private:
    // The text's characters, each as its UTF-8 bytes.
    static std::vector<std::string> characters(std::string_view utf8)
    {
        std::vector<std::string> found;
        for (char byte : utf8) {
            if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80 || found.empty())
                found.emplace_back();
            found.back() += byte;
        }
        return found;
    }

    int m_room;
};

class PanelFileSystem : public RecordingFileSystem
{
public:
    bool unseenOpeners = false;
    bool openersMayBeUnseen(const std::filesystem::path&) override { return unseenOpeners; }
    LeftoverReport leftovers;
    std::filesystem::path leftoversLookedIn;
    LeftoverReport finishLeftovers(const std::filesystem::path& folder) override
    {
        leftoversLookedIn = folder;
        return leftovers;
    }
};

const std::filesystem::path Target = osPath("/home/anna/Belege/Kontoauszug März.pdf");
const std::string Question(WindowLayout::Question);

struct Fixture : testing::Test
{
    PanelFileSystem files;
    MainWindowModel model{files, 15.0};
    FakeMeasure wide;

    const PanelState& load(const std::function<void(PanelFileSystem&)>& setUp,
                           const std::filesystem::path& target = Target,
                           MainWindowModel::LookAlikes lookAlikes = {})
    {
        files = PanelFileSystem();
        files.length = 1536;
        setUp(files);
        return model.refresh(target, lookAlikes, wide);
    }
};

TEST_F(Fixture, PanelPicksTheLineAndTheButtonForEachKindOfTarget)
{
    StorageMap copies = RecordingFileSystem::inPlaceStorage();
    copies.otherNames = 1;
    const std::string copiesWarning = s(ShredReport::warningText(OverwriteCheck::expect(copies)));
    ASSERT_FALSE(copiesWarning.empty());
    struct Row
    {
        const char* name;
        std::function<void(PanelFileSystem&)> setUp;
        std::string message;
        bool deleteEnabled;
        MessageKind kind;
    };
    const auto none = [](PanelFileSystem&) {};
    const Row rows[] = {
        {"plain file", none, Question, true, MessageKind::Question},
        {"folder", [](PanelFileSystem& f) { f.attributeWord = FileAttributes::Directory; },
         PanelText::folderText(), false, MessageKind::FolderRefusal},
        {"unreadable", [](PanelFileSystem& f) { f.attributesError = EACCES; },
         PanelText::notDescribableText(Target), false, MessageKind::UnreadableRefusal},
        {"no length", [](PanelFileSystem& f) { f.lengthError = ENOENT; },
         PanelText::notDescribableText(Target), false, MessageKind::UnreadableRefusal},
        {"read-only", [](PanelFileSystem& f) { f.storage.readOnly = true; }, PanelText::readOnlyText(), false,
         MessageKind::ReadOnlyRefusal},
        {"pseudo file", [](PanelFileSystem& f) { f.seen.status = OpenStatus::PseudoFile; },
         s(ShredReport::pseudoFileText()), false, MessageKind::PseudoFileRefusal},
        {"no space",
         [](PanelFileSystem& f) {
             f.seen = {OpenStatus::NoSpace, 4096, 1024};
         },
         s(ShredReport::noSpaceWarningText(4096, 1024, NumberFormat{})), true, MessageKind::NoSpaceWarning},
        {"copies kept", [&](PanelFileSystem& f) { f.storage = copies; }, copiesWarning, true,
         MessageKind::CopiesWarning},
        {"unseen openers", [](PanelFileSystem& f) { f.unseenOpeners = true; },
         PanelText::uncheckedOpenersQuestion(), true, MessageKind::UncheckedOpeners},
        {"a killed run's leftover finished", [](PanelFileSystem& f) { f.leftovers.removed = 1; },
         s(ShredReport::leftoverText({1, {}, {}})), false, MessageKind::LeftoverNotice},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const PanelState& panel = load(row.setUp);
        EXPECT_EQ(panel.message, row.message);
        EXPECT_EQ(panel.messageKind, row.kind);
        EXPECT_EQ(panel.deleteEnabled, row.deleteEnabled);
        EXPECT_FALSE(panel.empty);
        EXPECT_EQ(panel.fileNameWhole, "Kontoauszug März.pdf");
        EXPECT_EQ(panel.folder, osText("/home/anna/Belege"));
        EXPECT_EQ(files.leftoversLookedIn, Target.parent_path());
    }
    const PanelState& folder = load([](PanelFileSystem& f) { f.attributeWord = FileAttributes::Directory; });
    EXPECT_EQ(folder.attributes, PanelText::folderAttributeText());
    EXPECT_TRUE(model.folderTarget());
    const PanelState& gone = load([](PanelFileSystem& f) { f.lengthError = ENOENT; });
    EXPECT_EQ(gone.sizeText, PanelText::unknownSizeText());
    // The size's room: from the size label to the help picture, less the gap.
    const PanelState& plain = load([](PanelFileSystem&) {});
    EXPECT_EQ(plain.sizeBytes, 1536);
    EXPECT_EQ(plain.sizeRoomPixels, 270 - 114 - 4);
}

TEST_F(Fixture, PanelWithoutTargetOrWithLookAlikes)
{
    const PanelState& empty = load([](PanelFileSystem&) {}, {}, {.pending = true, .count = 2});
    EXPECT_TRUE(empty.empty);
    EXPECT_FALSE(empty.deleteEnabled);
    EXPECT_FALSE(empty.fileNameVisible);
    EXPECT_FALSE(empty.choiceVisible);
    EXPECT_TRUE(files.calls.empty()); // nothing of the disk is looked at

    struct Row
    {
        MainWindowModel::LookAlikes lookAlikes;
        std::string message;
        bool deleteEnabled;
        bool choiceVisible;
    };
    const Row rows[] = {
        {{.pending = true}, TargetIntake::lookAlikeScanText(), false, false},
        {{.pending = true, .count = 3}, TargetIntake::ambiguityText(3), false, true},
        {{.pending = true, .count = 3, .chosen = true}, Question, true, true},
        {{.pending = false}, Question, true, false},
    };
    for (const Row& row : rows) {
        const PanelState& panel = load([](PanelFileSystem&) {}, Target, row.lookAlikes);
        EXPECT_EQ(panel.message, row.message);
        EXPECT_EQ(panel.deleteEnabled, row.deleteEnabled);
        EXPECT_EQ(panel.choiceVisible, row.choiceVisible);
        EXPECT_EQ(panel.fileNameVisible, !row.choiceVisible);
    }
}

modShredder::ShredResult outcome(OpenStatus open, bool nameRemoved = false, bool writesOk = true)
{
    modShredder::ShredResult result;
    result.open = open;
    result.nameRemoved = nameRemoved;
    result.writesOk = writesOk;
    result.overwrite.outcome = OverwriteCheck::Outcome::Verified;
    return result;
}

TEST_F(Fixture, RunOutcomesDecideTextsTargetAndClosing)
{
    const modShredder::ShredResult destroyed = outcome(OpenStatus::Opened, true);
    modShredder::ShredResult linked = destroyed;
    linked.overwrite.otherNames = true;
    modShredder::ShredResult inUse = outcome(OpenStatus::InUse);
    inUse.holder = "okular";
    const std::string success = s(ShredReport::overwriteText(destroyed.overwrite));
    const std::string incomplete = s(ShredReport::incompleteText());
    const MainWindowModel::Run quit{"", false, true};
    const MainWindowModel::Run other{"a.pdf", true, false};
    struct Row
    {
        const char* name;
        modShredder::ShredResult result;
        MainWindowModel::Run run;
        bool closeAsked;
        int room; // of the outcome's label, in pixels
        RunEnd end;
        std::optional<std::string> message;
    };
    const Row rows[] = {
        {"destroyed, quit ticked", destroyed, quit, false, 100000, {true, true, {}}, {}},
        {"destroyed, close asked", destroyed, {}, true, 100000, {true, true, {}}, {}},
        {"destroyed", destroyed, {}, false, 100000, {true, false, success}, {}},
        {"further names keep it open",
         linked,
         quit,
         true,
         100000,
         {true, false, s(ShredReport::overwriteText(linked.overwrite))},
         {}},
        {"writes failed",
         outcome(OpenStatus::Opened, true, false),
         quit,
         false,
         100000,
         {true, false, incomplete},
         {}},
        {"other target chosen",
         destroyed,
         other,
         false,
         100000,
         {true, false, s(ShredReport::withDestroyedName(success, "a.pdf"))},
         {}},
        {"... with little room",
         destroyed,
         other,
         false,
         7,
         {true, false, s(ShredReport::withDestroyedName(success, "a.pdf", false))},
         {}},
        {"name kept", outcome(OpenStatus::Opened), quit, true, 100000, {}, s(ShredReport::nameKeptText())},
        {"name kept, writes failed",
         outcome(OpenStatus::Opened, false, false),
         {},
         false,
         100000,
         {},
         incomplete},
        {"name kept, other target",
         outcome(OpenStatus::Opened),
         other,
         false,
         100000,
         {},
         s(ShredReport::withDestroyedName(ShredReport::nameKeptText(), "a.pdf", false))},
        {"in use", inUse, {}, false, 100000, {}, s(ShredReport::inUseText("okular"))},
        {"denied",
         outcome(OpenStatus::AccessDenied),
         {},
         true,
         100000,
         {},
         s(ShredReport::openFailureText(OpenStatus::AccessDenied))},
        {"changed",
         outcome(OpenStatus::Changed),
         {},
         false,
         100000,
         {},
         s(ShredReport::openFailureText(OpenStatus::Changed))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        load([](PanelFileSystem&) {});
        ASSERT_TRUE(model.deleteClicked(0));
        EXPECT_FALSE(model.deleteClicked(100)); // answered, not obeyed
        EXPECT_EQ(model.closeRequested(), false);
        if (!row.closeAsked)
            model.endRun(), model.deleteClicked(0);
        const FakeMeasure label(row.room);
        const RunEnd end = model.runEnded(row.result, row.run, label);
        EXPECT_FALSE(model.isShredding());
        EXPECT_EQ(end.clearTarget, row.end.clearTarget);
        EXPECT_EQ(end.close, row.end.close);
        EXPECT_EQ(end.notice, row.end.notice);
        EXPECT_EQ(model.runMessage(row.result, row.run, label), row.message);
        EXPECT_FALSE(model.endRun()); // nothing forced the close
        EXPECT_TRUE(model.closeRequested());
    }
}

TEST_F(Fixture, FailedRunsAfterTheRefreshAndForcedClose)
{
    StorageMap copies = RecordingFileSystem::inPlaceStorage();
    copies.otherNames = 1;
    const std::string warning = s(ShredReport::warningText(OverwriteCheck::expect(copies)));
    load([&](PanelFileSystem& f) { f.storage = copies; });
    const auto changed = outcome(OpenStatus::Changed);
    EXPECT_EQ(model.runMessage(changed, {}, wide), s(ShredReport::changedText(warning)));
    const int withoutStep = FakeMeasure().width(s(ShredReport::changedText(warning, false)));
    EXPECT_EQ(model.runMessage(changed, {}, FakeMeasure(withoutStep)),
              s(ShredReport::changedText(warning, false)));
    EXPECT_EQ(model.runMessage(changed, {}, FakeMeasure(7)),
              s(ShredReport::openFailureText(OpenStatus::Changed)));
    EXPECT_EQ(model.runFailedMessage(), s(ShredReport::openFailureText(OpenStatus::AccessDenied)));

    load([](PanelFileSystem& f) { f.storage.readOnly = true; });
    EXPECT_EQ(model.runMessage(outcome(OpenStatus::AccessDenied), {}, wide),
              s(ShredReport::readOnlyRefusalText()));
    EXPECT_EQ(model.runFailedMessage(), s(ShredReport::readOnlyRefusalText()));
    load([](PanelFileSystem& f) { f.lengthError = ENOENT; });
    EXPECT_EQ(model.runFailedMessage(), std::nullopt);

    // A close nothing may hold back waits for the run, then closes whatever its outcome.
    ASSERT_TRUE(model.deleteClicked(0));
    model.closeWhenRunEnds();
    EXPECT_FALSE(model.closeRequested());
    EXPECT_FALSE(model.runEnded(outcome(OpenStatus::InUse), {}, wide).close);
    EXPECT_TRUE(model.endRun());
    EXPECT_FALSE(model.endRun());
}

TEST_F(Fixture, ProgressLineDuringARun)
{
    ProgressLine line;
    line.update({36, 5, 60000});
    const MainWindowModel::Run naming{"Kontoauszug März.pdf", true, false};
    ASSERT_TRUE(model.deleteClicked(0));
    EXPECT_EQ(model.progress(line, {}, 1000, wide).message, s(line.text()));
    EXPECT_EQ(model.progress(line, {}, 1000, wide).title, s(line.titleWith(PanelText::windowTitle())));
    EXPECT_EQ(model.progress(line, naming, 1000, wide).message, s(line.textNaming("Kontoauszug März.pdf")));
    // Too little room: the name gives way in the middle, as far as needed.
    const int room = FakeMeasure().width(s(line.textNaming("Konto…pdf")));
    const std::string shortened = model.progress(line, naming, 1000, FakeMeasure(room)).message;
    EXPECT_LE(FakeMeasure().width(shortened), room);
    EXPECT_GE(FakeMeasure().width(shortened), room - 7);
    EXPECT_EQ(model.progress(line, naming, 1000, FakeMeasure(7)).message, s(line.textNaming(std::string())));
    EXPECT_FALSE(model.deleteClicked(2000));
    EXPECT_EQ(model.waitNoticeUntilMs(), 2000 + MainWindowModel::WaitNoticeMs);
    EXPECT_EQ(model.progress(line, naming, 5999, wide).message, s(line.waitText("Kontoauszug März.pdf")));
    EXPECT_EQ(model.progress(line, naming, 6000, wide).message, s(line.textNaming("Kontoauszug März.pdf")));
    EXPECT_FALSE(model.closeRequested());
    EXPECT_EQ(model.progress(line, naming, 3000, wide).message, s(line.closingText()));
}

} // namespace
