// SPDX-License-Identifier: GPL-3.0-or-later
// The window's flow as both windows run it: journeys through the presenter, on a view that records what it
// is told and a file system double; the runs go through the engine's worker thread.
#include "model/MainWindowPresenter.h"
#include "engine/OverwriteCheck.h"
#include "engine/ShredReport.h"
#include "model/MainWindowView.h"
#include "model/WindowLayout.h"
#include "platform/FileAttributes.h"
#include "platform/PathDisplay.h"
#include "platform/ShellEntries.h"
#include "platform/gui/BrowseDialog.h"
#include "support/MapSettings.h"
#include "support/MemoryRegistry.h"
#include "support/OsPath.h"
#include "support/RecordingFileSystem.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <map>
#include <thread>

namespace {

// Every character 7 pixels wide, in labels of any size.
class WideMeasure : public TextMeasure
{
public:
    int width(std::string_view utf8) const override { return 7 * int(utf8.size()); }
    std::string elideMiddle(std::string_view utf8, int pixels) const override
    {
        return width(utf8) <= pixels ? std::string(utf8)
                                     : std::string(utf8.substr(0, std::size_t(pixels / 7)));
    }
    std::vector<std::size_t> graphemeBoundaries(std::string_view) const override { return {}; }
    bool fitsWhole(std::string_view) const override { return true; }
    bool linesFit(std::string_view) const override { return true; }
};

// Keeps what the presenter set last, and what it asked for.
class RecordingView : public MainWindowView
{
public:
    std::map<std::string, std::string, std::less<>> text, spoken, toolTip;
    std::map<std::string, bool, std::less<>> visible, enabled, checked;
    std::vector<Choice> choices;
    std::string title, focus;
    std::vector<std::string> announced;
    std::optional<std::int32_t> backColor;
    int percent = -1, timerMs = 0, helpOpened = 0, closes = 0;
    bool listening = false, scans = true;
    std::function<void()> duringRun; // what the user does while the run is going
    std::function<void()> onClose;   // what closing the window does
    MainWindowPresenter* presenter = nullptr;
    std::atomic<bool> ended{false};

    bool isOpen() const override { return closes == 0; }
    void setTitle(const std::string& value) override { title = value; }
    void setControlText(std::string_view c, const std::string& value) override
    {
        text[std::string(c)] = value;
    }
    void setSpokenText(std::string_view c, const std::string& value) override
    {
        spoken[std::string(c)] = value;
    }
    void setControlToolTip(std::string_view c, const std::string& value) override
    {
        toolTip[std::string(c)] = value;
    }
    void setControlVisible(std::string_view c, bool value) override { visible[std::string(c)] = value; }
    void setControlEnabled(std::string_view c, bool value) override
    {
        enabled[std::string(c)] = value;
        if (!value && focus == c) // as both toolkits do: the focus goes on
            focus = "chkExplorer";
    }
    void setChecked(std::string_view c, bool value) override { checked[std::string(c)] = value; }
    bool isChecked(std::string_view c) const override { return checked.count(c) && checked.find(c)->second; }
    void setChoices(std::string_view, const std::vector<Choice>& entries) override { choices = entries; }
    void setProgress(int value) override { percent = value; }
    void setBackColor(std::int32_t number) override { backColor = number; }
    std::unique_ptr<TextMeasure> measure(std::string_view) const override
    {
        return std::make_unique<WideMeasure>();
    }
    NumberFormat numberFormat() const override { return {}; }
    void focusControl(std::string_view c) override { focus = c; }
    std::string focusedControl() const override { return focus; }
    void dropFocus() override { focus.clear(); }
    bool screenReaderListening() const override { return listening; }
    void announce(std::string_view c) override { announced.emplace_back(c); }
    void startProgressTimer(int ms) override { timerMs = ms; }
    void stopProgressTimer() override { timerMs = 0; }
    std::function<void()> runEndNotice() override
    {
        ended = false;
        return [this] { ended = true; };
    }
    // Waits for the run as the Qt window does, ticking the progress timer meanwhile. What the user does comes
    // first: until the view hands the run's end back, the run is going however soon its worker ends.
    void awaitRun() override
    {
        if (duringRun)
            duringRun();
        presenter->progressTimer();
        while (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        presenter->runFinished();
    }
    bool startLookAlikeScan(const std::filesystem::path&) override { return scans; }
    void stopLookAlikeScan() override {}
    void* dialogOwner() override { return this; }
    void openHelp() override { ++helpOpened; }
    void closeWindow() override
    {
        if (presenter->closeRequested())
            ++closes;
    }
};

class OneChoice : public BrowseDialog
{
public:
    std::filesystem::path chosen;
    std::filesystem::path exec(const Request&) override { return chosen; }
};

struct CountingShellEntries : ShellEntries
{
    void bringInLine() override { ++broughtInLine; }
    std::vector<std::string> runningWithDelayedUpdate() const override { return {}; }
    int broughtInLine = 0;
};

const std::filesystem::path Target = osPath("/home/anna/Belege/Kontoauszug März.pdf");

struct Journey : testing::Test
{
    RecordingFileSystem files;
    MapSettings settings;
    MemoryRegistry registry;
    OneChoice browse;
    CountingShellEntries shells;
    RecordingView view;
    std::unique_ptr<MainWindowPresenter> presenter;

    MainWindowPresenter& open(const std::filesystem::path& target = Target)
    {
        files.length = 1536;
        const MainWindowPresenter::Services services{
            files,
            settings,
            registry,
            browse,
            ProgramInfo::of(osPath("/opt/tilgomatic/tilgomatic"), {NativeText::bytes(target)}, osPath("/")),
            false,
            &shells};
        presenter = std::make_unique<MainWindowPresenter>(view, services, 15.0);
        view.presenter = presenter.get();
        presenter->Form_Initialize();
        presenter->Form_Load();
        return *presenter;
    }
};

StorageMap withOtherName()
{
    StorageMap storage = RecordingFileSystem::inPlaceStorage();
    storage.otherNames = 1;
    return storage;
}

TEST_F(Journey, EachKindOfTargetAndRunEndsAsBothWindowsShowIt)
{
    const std::string question(WindowLayout::Question);
    const std::string copies = ShredReport::warningText(OverwriteCheck::expect(withOtherName()));
    struct Row
    {
        const char* name;
        std::function<void(Journey&)> setUp; // before the load
        std::function<void(Journey&)> beforeRun;
        bool run;
        std::string message;   // lblMsg at the end
        std::string announced; // the control read out, empty for none
        bool targetKept;       // when kept after a run, "Nach Löschen schliessen" was ticked in vain
        bool deleteEnabled;
    };
    const auto none = [](Journey&) {};
    const Row rows[] = {
        {"loaded", none, none, false, question, "", true, true},
        {"folder refused", [](Journey& j) { j.files.attributeWord = FileAttributes::Directory; }, none, false,
         PanelText::folderText(), "", true, false},
        {"read-only refused", [](Journey& j) { j.files.storage.readOnly = true; }, none, false,
         PanelText::readOnlyText(), "", true, false},
        {"no space warned",
         [](Journey& j) {
             j.files.seen = {OpenStatus::NoSpace, 4096, 1024};
         },
         none, false, ShredReport::noSpaceWarningText(4096, 1024, NumberFormat{}), "", true, true},
        {"destroyed", none, none, true, question, "lblEmpty", false, false},
        {"open refused", none, [](Journey& j) { j.files.openStatus = OpenStatus::AccessDenied; }, true,
         ShredReport::openFailureText(OpenStatus::AccessDenied), "lblMsg", true, true},
        {"held open", none, [](Journey& j) { j.files.openStatus = OpenStatus::InUse; }, true,
         ShredReport::inUseText(""), "lblMsg", true, true},
        {"changed, now with a warning", none,
         [](Journey& j) {
             j.files.openStatus = OpenStatus::Changed;
             j.files.storage = withOtherName();
         },
         true, ShredReport::changedText(copies), "lblMsg", true, true},
        {"changed, the plain question", none, [](Journey& j) { j.files.openStatus = OpenStatus::Changed; },
         true, ShredReport::openFailureText(OpenStatus::Changed), "lblMsg", true, true},
        {"name kept", none, [](Journey& j) { j.files.removeNameFails = true; }, true,
         ShredReport::nameKeptText(), "lblMsg", true, true},
        {"syncs failed", none, [](Journey& j) { j.files.failingSyncs = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}; },
         true, ShredReport::incompleteText(), "lblMsg", true, true},
        {"medium read-only by the run", none,
         [](Journey& j) {
             j.files.openStatus = OpenStatus::AccessDenied;
             j.files.storage.readOnly = true;
         },
         true, ShredReport::readOnlyRefusalText(), "lblMsg", true, false},
        // The run fails before its open; the panel, described afresh, says why.
        {"vanished before the run", none, [](Journey& j) { j.files.lengthError = ENOENT; }, true,
         PanelText::notDescribableText(Target), "lblMsg", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        files = RecordingFileSystem();
        view.text.clear();
        view.visible.clear();
        view.announced.clear();
        row.setUp(*this);
        open();
        EXPECT_EQ(view.text["lblFileName"], "Kontoauszug März.pdf");
        EXPECT_EQ(view.title, PanelText::windowTitle());
        if (row.run) {
            row.beforeRun(*this);
            view.checked["chkQuit"] = row.targetKept;
            presenter->cmdDelete_Click();
            EXPECT_EQ(view.closes, 0);
            EXPECT_EQ(view.timerMs, 0);
            EXPECT_FALSE(view.visible["progressValue"]);
        }
        EXPECT_EQ(view.text["lblMsg"], row.message);
        EXPECT_EQ(view.announced, row.announced.empty() ? std::vector<std::string>{}
                                                        : std::vector<std::string>{row.announced});
        EXPECT_EQ(presenter->TargetPath.empty(), !row.targetKept);
        EXPECT_EQ(view.enabled["cmdDelete"], row.deleteEnabled);
        EXPECT_EQ(view.visible["lblEmpty"], !row.targetKept);
        if (!row.targetKept) {
            EXPECT_EQ(view.text["lblEmpty"], ShredReport::successText());
        }
    }
}

TEST_F(Journey, ClosingDuringARunWaitsForTheFileAndTheScreenReaderHearsTheOutcome)
{
    open();
    view.duringRun = [this] {
        view.closeWindow();
        EXPECT_EQ(view.closes, 0);
        EXPECT_NE(view.text["lblMsg"], WindowLayout::Question);
    };
    view.focus = "cmdDelete";
    presenter->cmdDelete_Click();
    EXPECT_EQ(view.closes, 1);

    // With a screen reader, the focus leaves the delete button before it is disabled, and a refusal is read
    // as the question's label takes the focus.
    open();
    view.closes = 0;
    view.listening = true;
    view.duringRun = {};
    view.focus = "cmdDelete";
    files.openStatus = OpenStatus::AccessDenied;
    presenter->cmdDelete_Click();
    EXPECT_EQ(view.focus, "lblMsg");
    EXPECT_TRUE(view.announced.empty());
    files.openStatus = OpenStatus::Opened;
    view.focus = "cmdDelete";
    presenter->cmdDelete_Click();
    EXPECT_EQ(view.focus, "");
    EXPECT_EQ(view.announced, std::vector<std::string>{"lblEmpty"});

    // The option, read as the run ends, closes the window after a run that can be vouched for.
    open();
    view.closes = 0;
    view.duringRun = [this] {
        view.checked["chkQuit"] = true;
        presenter->chkQuit_Click();
    };
    presenter->cmdDelete_Click();
    EXPECT_EQ(settings.values["QuitAction"], "1");
    EXPECT_EQ(view.closes, 1);
}

// Only the text "1" ticks a box; a ticked quit box is stored again, a wanted entry brought in line. A colour
// text that does not convert, or is too short to be one, keeps the window's colours.
TEST_F(Journey, StoredOptionsAndColoursAtStart)
{
    const struct
    {
        const char* options; // stored for both boxes; nullptr: nothing
        const char* scheme;
        std::optional<std::int32_t> color;
    } rows[] = {{nullptr, nullptr, {}},
                {"1", "&H8000000F", std::int32_t(0x8000000F)},
                {"1x", "&H000000FF", 0xFF},
                {"2", "0", {}},
                {"-1", "&HXYZ", {}},
                {"ja", "Blau", {}},
                {"", "&H", {}},
                {"true", "&H1234567890", {}},
                {" 1", "&H00FFFFFF", 0xFFFFFF},
                {"01", "&H01000000", {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options ? row.options : "none");
        settings = MapSettings();
        registry.calls.clear();
        shells.broughtInLine = 0;
        view.backColor.reset();
        if (row.options)
            settings.values["ExplorerMnu"] = settings.values["QuitAction"] = row.options;
        if (row.scheme)
            settings.values["BGColor"] = row.scheme;
        open();
        const bool ticked = row.options && std::string(row.options) == "1";
        EXPECT_EQ(view.checked["chkExplorer"], ticked);
        EXPECT_EQ(view.checked["chkQuit"], ticked);
        EXPECT_EQ(settings.saves,
                  ticked ? std::vector<std::string>{"QuitAction=1"} : std::vector<std::string>{});
        EXPECT_EQ(shells.broughtInLine, int(ticked));
        EXPECT_TRUE(registry.calls.empty());
        EXPECT_EQ(view.backColor, row.color);
    }
    // A store that cannot be read starts as the first run; each click of the quit box is stored.
    settings.throwOnRead = true;
    view.backColor.reset();
    open();
    EXPECT_FALSE(view.checked["chkExplorer"] || view.checked["chkQuit"] || view.backColor);
    settings.saves.clear();
    view.checked["chkQuit"] = true;
    presenter->chkQuit_Click();
    view.checked["chkQuit"] = false;
    presenter->chkQuit_Click();
    EXPECT_EQ(settings.saves, (std::vector<std::string>{"QuitAction=1", "QuitAction=0"}));
}

TEST_F(Journey, OptionsColoursDropsAndLookAlikes)
{
    open();
    view.checked["chkExplorer"] = true;
    presenter->chkExplorer_Click();
    EXPECT_TRUE(registry.hasKey("*\\shell\\Tilgomatic"));
    presenter->cmdCancel_KeyDown(WindowOptions::SchemeKey::White);
    EXPECT_EQ(view.backColor, 0x00FFFFFF);
    presenter->cmdCancel_KeyDown(WindowOptions::SchemeKey::SystemFace);
    EXPECT_EQ(view.backColor, std::int32_t(0x8000000F));
    settings.values["BGColor"] = "&Hzz";
    view.backColor.reset();
    presenter->cmdCancel_KeyDown(WindowOptions::SchemeKey::Other);
    EXPECT_FALSE(view.backColor);
    presenter->Image2_Click();
    EXPECT_EQ(view.helpOpened, 1);

    // An attribute word without a text keeps the last one shown.
    files.attributeWord = FileAttributes::Archive;
    presenter->RefreshTarget();
    const std::string attributes = view.text["lblFileAttribute"];
    files.attributeWord = 8;
    presenter->RefreshTarget();
    EXPECT_EQ(view.text["lblFileAttribute"], attributes);

    // A drop and the browse dialog load; a cancelled dialog keeps the target.
    const std::filesystem::path other = osPath("/tmp/b.txt");
    presenter->OLEDragDrop(other);
    EXPECT_EQ(view.text["lblFileName"], "b.txt");
    presenter->Image1_Click();
    EXPECT_EQ(presenter->TargetPath, other);
    browse.chosen = Target;
    presenter->Image1_Click();
    EXPECT_EQ(presenter->TargetPath, Target);

    // A name a file manager altered: its look-alikes are offered, each read out whole.
    const std::filesystem::path altered = osPath("/tmp/K\xEF\xBF\xBDse.txt");
    const std::vector<std::filesystem::path> found = {osPath("/tmp/K\xE4se.txt"),
                                                      osPath("/tmp/K\xC3\xA4se.txt")};
    open(altered);
    EXPECT_EQ(view.text["lblMsg"], TargetIntake::lookAlikeScanText());
    presenter->lookAlikesFound(altered, found);
    ASSERT_EQ(view.choices.size(), 3U);
    const std::string name = PathDisplay::displayText(NativeText::bytes(found[0].filename()));
    EXPECT_EQ(view.choices[1].whole.rfind(name + "  (", 0), 0U);
    EXPECT_NE(view.choices[1].whole.find("Bytes"), std::string::npos);
    EXPECT_EQ(view.text["lblMsg"], TargetIntake::ambiguityText(2));
    EXPECT_EQ(view.announced, std::vector<std::string>{"lblMsg"});
    EXPECT_FALSE(view.enabled["cmdDelete"]);
    presenter->lookAlikeChosen(2);
    EXPECT_EQ(presenter->TargetPath, found[1]);
    EXPECT_TRUE(view.enabled["cmdDelete"]);
}

} // namespace
