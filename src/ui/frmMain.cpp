// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmMain.h"

#include "engine/OverwriteCheck.h"
#include "engine/ShredReport.h"
#include "engine/ShredRun.h"
#include "engine/Shredder.h"
#include "model/WindowLayout.h"
#include "platform/CoreBridge.h"
#include "platform/DropTarget.h"
#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/ShellEntries.h"
#include "platform/gui/ColorNumber.h"
#include "platform/gui/FontWidth.h"
#include "shell/BrowseFolders.h"
#include "shell/ExplorerKontext.h"
#include "shell/HelpFile.h"
#include "target/CompactPath.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"
#include "ui/AccessibleControls.h"
#include "ui/HelpWindow.h"
#include "ui/LabelMeasure.h"
#include "ui/LookAlikeScan.h"
#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <climits>
#include <exception>
#include <initializer_list>

using CoreBridge::fromText;

namespace {

// The pointing hand over both pictures; its hotspot is the fingertip (resources/icons/README.md).
constexpr int HandHotspotX = 6;
constexpr int HandHotspotY = 0;

// 1440 twips to the inch over the primary screen's logical dots per inch; 15 when there is no screen.
double screenTwipsPerPixel()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

// The pointing hand from the resources; the toolkit's own when the picture is missing.
QCursor handCursor()
{
    const QPixmap hand(QStringLiteral(":/icons/hand-32.png"));
    if (hand.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(hand, HandHotspotX, HandHotspotY);
}

// The grey skull at the three sizes the desktop picks from.
QIcon skullIcon()
{
    QIcon icon;
    for (const char* size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/icons/skull-%1.png").arg(QLatin1String(size)));
    return icon;
}

// The run's share done, drawn by nobody: the progress line above it shows the same for the eye, and
// this bar tells it to screen readers, which announce a progress bar's changes.
class SilentProgressBar : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override {}
};

// Paints widget's background (its Window role) in color.
void setWindowColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The action a file drop is taken with: a copy where the source offers one, else a link, so that no
// source ever deletes its file because we answered "moved". Ignore for a drop without a local file.
Qt::DropAction fileDropAction(const QDropEvent* event)
{
    if (DropTarget::droppedTarget(event->mimeData()).isNull())
        return Qt::IgnoreAction;
    if (event->possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event->possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace

frmMain::frmMain(const MainServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_fileSystem(services.fileSystem)
    , m_shellEntries(services.shellEntries)
    , m_browseDialog(services.browseDialog)
    , m_program(services.program)
    , m_twipsPerPixel(screenTwipsPerPixel())
    , m_model(m_fileSystem, m_twipsPerPixel, CoreBridge::numberFormat(QLocale()))
    , m_options(services.settings, services.registry, m_program, services.rootForOtherUser)
{
    AccessibleControls::install();
    setObjectName(QStringLiteral("frmMain"));
    setFont(dialogFont());
    setWindowTitle(fromText(WindowLayout::FirstTitle));
    setWindowIcon(skullIcon());
    setWindowColor(this, QColor::fromRgb(WindowLayout::WindowColor));
    setFixedSize(twipsToPixels(WindowLayout::ClientWidth), twipsToPixels(WindowLayout::ClientHeight));

    createControls();

    // Fires first half a second into a run, then every quarter second until the run ends.
    m_progressTimer = new QTimer(this);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        m_progressShown = true;
        m_progressTimer->setInterval(ProgressLine::UpdateIntervalMs);
        showProgress();
    });

    // The pictures' keys, from anywhere in the window; the pictures themselves stay out of the tab order.
    const auto bindKey = [this](PictureBox* picture, const QKeySequence& key, void (frmMain::*handler)()) {
        picture->setShortcut(key);
        connect(new QShortcut(key, this), &QShortcut::activated, this, handler);
    };
    const auto keyOf = [](const char* name) {
        return QKeySequence(fromText(WindowLayout::control(name).shortcut), QKeySequence::PortableText);
    };
    bindKey(Image1, keyOf("Image1"), &frmMain::Image1_Click);
    bindKey(Image2, keyOf("Image2"), &frmMain::Image2_Click);
    // The look-alike choice has no label of its own to carry an access key: the question names the key.
    connect(new QShortcut(keyOf("cboLookAlike"), this), &QShortcut::activated, this, [this] {
        if (cboLookAlike->isVisible())
            cboLookAlike->setFocus(Qt::ShortcutFocusReason);
    });
    m_lookAlikeScan = new LookAlikeScan(m_fileSystem, this);
    connect(m_lookAlikeScan, &LookAlikeScan::finished, this, &frmMain::lookAlikesFound);

    if (!m_options.explorerEntryChangeable()) {
        chkExplorer->setEnabled(false);
        chkExplorer->setToolTip(fromText(WindowLayout::RootForOtherUserToolTip));
    }

    const auto order = WindowLayout::tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(findChild<QWidget*>(fromText(order[i - 1])), findChild<QWidget*>(fromText(order[i])));
    // The first control of the tab order takes the focus; a disabled one passes it on.
    (chkExplorer->isEnabled() ? chkExplorer : chkQuit)->setFocus(Qt::OtherFocusReason);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry())
                 .topLeft());
}

frmMain::~frmMain() = default;

QFont frmMain::dialogFont()
{
    // 7.5 points are 10 pixels at 96 dots per inch: a line of it fits the 15-pixel labels, the question
    // takes two lines of its label and "Nach Löschen schliessen" fits its check box.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(7.5);
    font.setWeight(QFont::Normal);
    return font;
}

int frmMain::twipsToPixels(int twips) const
{
    return m_model.twipsToPixels(twips);
}

// Creates the controls in the stored order (WindowLayout). Within one container an earlier control lies in
// front of a later one, so each new control goes to the back.
void frmMain::createControls()
{
    QHash<QString, QWidget*> byName;
    for (const ControlLayout& row : WindowLayout::controls()) {
        QWidget* parent = row.inPanel ? static_cast<QWidget*>(Frame1) : this;
        QWidget* control = createControl(row, parent);
        control->setObjectName(fromText(row.name));
        control->setGeometry(twipsToPixels(row.left), twipsToPixels(row.top) - twipsToPixels(row.raise),
                             twipsToPixels(row.width), twipsToPixels(row.height));
        if (!row.toolTip.empty())
            control->setToolTip(fromText(row.toolTip));
        if (!row.accessibleName.empty())
            control->setAccessibleName(fromText(row.accessibleName));
        if (!row.accessibleDescription.empty())
            control->setAccessibleDescription(fromText(row.accessibleDescription));
        if (row.textColor) {
            QPalette palette = control->palette();
            palette.setColor(QPalette::WindowText, QColor::fromRgb(*row.textColor));
            control->setPalette(palette);
        }
        if (row.schemed)
            setWindowColor(control, QColor::fromRgb(WindowLayout::WindowColor));
        if (row.hidden)
            control->hide();
        if (!row.inFront)
            control->lower();
        byName.insert(control->objectName(), control);
        if (row.name == "Frame1")
            Frame1 = static_cast<QFrame*>(control);
    }
    const auto named = [&byName]<typename Control>(Control*& member, const char* name) {
        member = static_cast<Control*>(byName.value(QLatin1String(name)));
    };
    named(cmdDelete, "cmdDelete");
    named(cmdCancel, "cmdCancel");
    named(Frame2, "Frame2");
    named(chkQuit, "chkQuit");
    named(chkExplorer, "chkExplorer");
    named(Image2, "Image2");
    named(lblEmpty, "lblEmpty");
    named(Image1, "Image1");
    named(lblMsg, "lblMsg");
    named(lblFileAttribute, "lblFileAttribute");
    named(lblFileAttributeTitle, "lblFileAttributeTitle");
    named(lblFilePath, "lblFilePath");
    named(lblFilePathTitle, "lblFilePathTitle");
    named(lblFileName, "lblFileName");
    named(lblFileNameTitle, "lblFileNameTitle");
    named(lblFileSize, "lblFileSize");
    named(cboLookAlike, "cboLookAlike");
    m_progressValue = static_cast<QProgressBar*>(byName.value(QStringLiteral("progressValue")));
    for (const ControlLayout& row : WindowLayout::controls()) {
        if (!row.title.empty())
            static_cast<PanelLabel*>(byName.value(fromText(row.name)))
                ->setTitle(static_cast<PanelLabel*>(byName.value(fromText(row.title))));
    }

    connect(cboLookAlike, &QComboBox::currentIndexChanged, this, &frmMain::lookAlikeChosen);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMain::cmdCancel_Click);
    connect(chkExplorer, &QCheckBox::toggled, this, &frmMain::chkExplorer_Click);
    connect(chkQuit, &QCheckBox::toggled, this, &frmMain::chkQuit_Click);
    connect(Image1, &PictureBox::clicked, this, &frmMain::Image1_Click);
    connect(Image2, &PictureBox::clicked, this, &frmMain::Image2_Click);
    cmdCancel->installEventFilter(this);
    lblEmpty->installEventFilter(this);

    // The drop surfaces: the window and every control on it that shows no action of its own. A file
    // dropped on any of them becomes the target (OLEDragDrop); the controls that act refuse it.
    acceptDropsFor(this);
    for (const ControlLayout& row : WindowLayout::controls()) {
        if (row.drops == ControlLayout::Drops::Take)
            acceptDropsFor(byName.value(fromText(row.name)));
        else if (row.drops == ControlLayout::Drops::Refuse)
            refuseDropsFor(byName.value(fromText(row.name)));
    }
}

// One control of the layout, made as its kind asks.
QWidget* frmMain::createControl(const ControlLayout& row, QWidget* parent)
{
    switch (row.kind) {
    case ControlLayout::Kind::Button: {
        auto* button = new QPushButton(fromText(row.caption), parent);
        button->setFocusPolicy(Qt::StrongFocus);
        // Enter on the focused button presses it, as Space does.
        button->setAutoDefault(true);
        return button;
    }
    case ControlLayout::Kind::Frame: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setMidLineWidth(0);
        frame->setProperty("tilgomaticPanel", true);
        return frame;
    }
    case ControlLayout::Kind::CheckBox: {
        auto* box = new QCheckBox(fromText(row.caption), parent);
        box->setFocusPolicy(Qt::StrongFocus);
        // A check box fills its background with the button colour by default; ours takes the window colour
        // like the frame around it.
        box->setBackgroundRole(QPalette::Window);
        return box;
    }
    case ControlLayout::Kind::Picture: {
        auto* picture = new PictureBox(parent);
        picture->setPixmap(QPixmap(QStringLiteral(":/icons/") + fromText(row.picture)));
        picture->setCursor(handCursor());
        return picture;
    }
    case ControlLayout::Kind::Label: {
        auto* label = new PanelLabel(parent);
        label->setText(fromText(row.caption));
        if (row.notice) {
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setNotice(true);
        }
        return label;
    }
    case ControlLayout::Kind::Choice: {
        auto* choice = new QComboBox(parent);
        choice->setFocusPolicy(Qt::StrongFocus);
        return choice;
    }
    case ControlLayout::Kind::Progress: {
        auto* bar = new SilentProgressBar(parent);
        bar->setRange(0, 100);
        bar->setFocusPolicy(Qt::NoFocus);
        return bar;
    }
    }
    return nullptr;
}

void frmMain::acceptDropsFor(QWidget* surface)
{
    surface->setAcceptDrops(true);
    surface->installEventFilter(this);
    m_dropSurfaces.insert(surface);
}

void frmMain::refuseDropsFor(QWidget* control)
{
    // The control has to take part in drag and drop to refuse: a control that ignores the drag hands it
    // on to the frame or window behind it, which would take the file.
    control->setAcceptDrops(true);
    control->installEventFilter(this);
    m_dropRefusers.insert(control);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (handleDragEvent(watched, event))
            return true;
        break;
    case QEvent::KeyPress:
        if (watched == cmdCancel) {
            const auto* key = static_cast<QKeyEvent*>(event);
            cmdCancel_KeyDown(key->key(), key->modifiers());
        }
        break;
    case QEvent::ToolTip:
        if (watched == chkExplorer && m_shellEntries)
            chkExplorer->setToolTip(
                fromText(modExplorerKontext::restartHint(m_shellEntries->runningWithDelayedUpdate())));
        // lblEmpty has no tool tip of its own and must not show the frame's behind it.
        if (watched == lblEmpty) {
            QToolTip::hideText();
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Answers the drag events of drop surfaces and refusing controls. True when the event was answered here.
bool frmMain::handleDragEvent(QObject* watched, QEvent* event)
{
    auto* drag = static_cast<QDropEvent*>(event);
    const auto refuse = [drag, event] {
        // Taking the enter event with the ignore action ends the drag's search for a target here; the
        // refused moves and drop then keep the file out.
        drag->setDropAction(Qt::IgnoreAction);
        if (event->type() == QEvent::DragEnter)
            drag->accept();
        else
            drag->ignore();
        return true;
    };
    if (m_dropRefusers.contains(watched))
        return refuse();

    if (!m_dropSurfaces.contains(watched))
        return false;
    // A disabled control passes its drag events on to the surface behind it; over a control that refuses
    // drops the surface refuses too.
    auto* surfaceWidget = static_cast<QWidget*>(watched);
    for (QWidget* under = surfaceWidget->childAt(drag->position().toPoint()); under && under != surfaceWidget;
         under = under->parentWidget())
        if (m_dropRefusers.contains(under))
            return refuse();
    const Qt::DropAction action = fileDropAction(drag);
    if (action == Qt::IgnoreAction) {
        // Not ours to take: the surface behind may refuse it as well.
        drag->ignore();
        return true;
    }
    drag->setDropAction(action);
    drag->accept();
    if (event->type() == QEvent::Drop)
        OLEDragDrop(drag->mimeData());
    return true;
}

void frmMain::Form_Initialize()
{
    // The toolkit's controls are ready once QApplication exists; nothing is left to prepare.
}

void frmMain::Form_Load()
{
    IsLoading = true;
    // Only the text "1" ticks a box; anything else stored there counts as unticked.
    chkExplorer->setChecked(m_options.explorerEntry());
    chkQuit->setChecked(m_options.quitAfterDelete());
    TargetPath = CoreBridge::fromPath(
        TargetIntake::commandLineTarget(m_program.arguments, m_program.workingFolder, m_fileSystem));
    startLookAlikeScan();
    RefreshTarget();
    ApplyBackColor();
    // Where the entry is wanted, only what is missing of it in the file managers' files is written again
    // (a file manager installed since); the registry itself is not touched.
    if (m_shellEntries && chkExplorer->isChecked())
        m_shellEntries->bringInLine();
    IsLoading = false;
}

void frmMain::RefreshTarget()
{
    if (TargetPath.isEmpty())
        forgetLookAlikes();
    const MainWindowModel::LookAlikes lookAlikes{.pending = !m_lookAlikeSource.isEmpty(),
                                                 .count = std::size_t(m_lookAlikes.size()),
                                                 .chosen = cboLookAlike->currentIndex() > 0};
    const PanelState& state =
        m_model.refresh(CoreBridge::toPath(TargetPath), lookAlikes, LabelMeasure(*lblFileName));
    setWindowTitle(fromText(state.title));
    lblFileName->setText(fromText(state.fileName));
    lblFileName->setAccessibleName(fromText(state.fileNameWhole));
    lblFilePath->setText(fromText(modCompactPath::CompactPath(FontWidth(QFontMetrics(font())), state.folder,
                                                              WindowLayout::FilePathWidth, m_twipsPerPixel)));
    lblEmpty->setVisible(state.empty);
    for (PanelLabel* label : {lblFileAttribute, lblFileAttributeTitle, lblFileNameTitle, lblFilePath,
                              lblFilePathTitle, lblFileSize, lblMsg})
        label->setVisible(!state.empty);
    if (state.attributes)
        lblFileAttribute->setText(fromText(*state.attributes));
    if (state.sizeText)
        lblFileSize->setText(fromText(*state.sizeText));
    else if (state.sizeBytes)
        lblFileSize->setText(fromText(
            PanelText::sizeText(*state.sizeBytes, CoreBridge::numberFormat(QLocale()),
                                FontWidth(QFontMetrics(lblFileSize->font())), state.sizeRoomPixels)));
    lblMsg->setText(fromText(state.message));
    cmdDelete->setEnabled(state.deleteEnabled);
    cboLookAlike->setVisible(state.choiceVisible);
    lblFileName->setVisible(state.fileNameVisible);
    // A target chosen during a run is shown, but the line below it keeps telling of the run.
    if (m_progressShown)
        showProgress();
}

void frmMain::startLookAlikeScan()
{
    forgetLookAlikes();
    if (!CoreBridge::fromPath(PanelText::fileName(CoreBridge::toPath(TargetPath).native()))
             .contains(QChar::ReplacementCharacter))
        return;
    m_lookAlikeSource = TargetPath;
    m_lookAlikeScan->start(TargetPath);
}

void frmMain::forgetLookAlikes()
{
    m_lookAlikeScan->stop();
    m_lookAlikeSource.clear();
    m_lookAlikes.clear();
}

void frmMain::lookAlikesFound(const QString& path, const QStringList& candidates)
{
    if (path != m_lookAlikeSource)
        return;
    // Only the name itself: nothing to choose.
    if (candidates.isEmpty() || candidates == QStringList{path}) {
        m_lookAlikeSource.clear();
        RefreshTarget();
        return;
    }
    m_lookAlikes = candidates;
    const QSignalBlocker quiet(cboLookAlike);
    cboLookAlike->clear();
    cboLookAlike->addItem(fromText(WindowLayout::ChoicePrompt));
    const FontWidth font(QFontMetrics(cboLookAlike->font()));
    const NumberFormat format = CoreBridge::numberFormat(QLocale());
    const int room = cboLookAlike->width() - twipsToPixels(WindowLayout::ChoiceChrome);
    for (const QString& candidate : candidates) {
        const std::filesystem::path path = CoreBridge::toPath(candidate);
        std::int64_t size = -1;
        try {
            size = m_fileSystem.fileLength(path);
        } catch (const FileError&) {
            // Shown as unknown; loading it then tells why.
        }
        const auto modified = m_fileSystem.modifiedTime(path);
        cboLookAlike->addItem(fromText(TargetIntake::candidateText(path, size, modified, format, font, room)),
                              candidate);
        // Whole, for the mouse pointer and for screen readers.
        const QString whole =
            fromText(TargetIntake::candidateText(path, size, modified, format, font, INT_MAX / 2));
        cboLookAlike->setItemData(cboLookAlike->count() - 1, whole, Qt::ToolTipRole);
        cboLookAlike->setItemData(cboLookAlike->count() - 1, whole, Qt::AccessibleTextRole);
    }
    RefreshTarget();
    announce(lblMsg);
}

// A candidate becomes the target with its exact bytes; the first entry goes back to the name as given.
void frmMain::lookAlikeChosen(int index)
{
    if (m_lookAlikes.isEmpty() || index < 0)
        return;
    TargetPath = index == 0 ? m_lookAlikeSource : cboLookAlike->itemData(index).toString();
    RefreshTarget();
}

void frmMain::ApplyBackColor()
{
    const auto stored = m_options.scheme();
    if (!stored)
        return;
    // A text that does not convert, or a system colour the toolkit does not know, keeps the colours the
    // window has rather than painting it black.
    const auto number = ColorNumber::fromText(fromText(*stored));
    if (!number)
        return;
    const auto color = ColorNumber::toColor(*number, QApplication::palette());
    if (!color)
        return;
    setWindowColor(this, *color);
    for (const ControlLayout& row : WindowLayout::controls())
        if (row.schemed)
            setWindowColor(findChild<QWidget*>(fromText(row.name)), *color);
}

void frmMain::cmdDelete_Click()
{
    if (!m_model.deleteClicked(m_runClock.elapsed())) {
        showProgress();
        return;
    }

    const QPointer<frmMain> alive(this);
    const QString runPath = TargetPath;
    modShredder::ShredResult result;
    try {
        result = runShredder(runPath, m_model.targetIdentity());
    } catch (const std::exception&) {
        // Nothing was opened or written; the command ends without a word, but the panel is described afresh
        // so that it shows why.
        if (alive) {
            RefreshTarget();
            if (const auto text = m_model.runFailedMessage())
                lblMsg->setText(fromText(*text));
            endRun();
            announce(lblMsg);
        }
        return;
    }
    if (!alive)
        return;
    const MainWindowModel::Run run = currentRun();
    const RunEnd end = m_model.runEnded(result, run, LabelMeasure(*lblEmpty));
    if (end.clearTarget)
        TargetPath.clear();
    if (end.close) {
        close();
        return;
    }
    if (end.notice)
        lblEmpty->setText(fromText(*end.notice));
    RefreshTarget();
    if (const auto text = m_model.runMessage(result, run, LabelMeasure(*lblMsg)))
        lblMsg->setText(fromText(*text));
    endRun();
    announce(result.nameRemoved ? lblEmpty : lblMsg);
}

MainWindowModel::Run frmMain::currentRun() const
{
    return {.fileName = CoreBridge::toText(m_runFileName),
            .targetChanged = TargetPath != m_runPath,
            .quitWanted = chkQuit->isChecked()};
}

// Runs ShredFile on a worker thread and turns this thread's event loop until it ends, showing its progress
// from half a second on. Returns the run's outcome; rethrows its error.
modShredder::ShredResult frmMain::runShredder(const QString& path, const FileIdentity& identity)
{
    // The loop outlives the run, whose end is handed to this thread's event loop.
    QEventLoop loop;
    ShredRun run(CoreBridge::toPath(path), ShredPasses, m_fileSystem, identity,
                 [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });

    m_run = &run;
    m_runFileName = fromText(PanelText::fileName(CoreBridge::toText(NativePath::displayText(path))));
    m_runPath = path;
    m_progressLine = ProgressLine();
    m_progressShown = false;
    m_runClock.start();
    m_progressTimer->start(int(ProgressLine::ShowAfterMs));

    run.start();
    loop.exec();
    // Only a quit of the whole application ends the loop early; the file is finished all the same.
    run.wait();

    // Every way out of the delete command refreshes the panel (or closes the window), which puts the plain
    // title and the question back.
    m_progressTimer->stop();
    m_run = nullptr;
    m_progressShown = false;
    m_progressValue->hide();
    // The outcome is read out once, where it appears (announce). The delete button, about to be disabled,
    // would first hand its focus to the next control, which a screen reader reads in between, and a focused
    // question label would be read both for its new text and for taking the focus.
    if (QAccessible::isActive() && (cmdDelete->hasFocus() || lblMsg->hasFocus()))
        focusWidget()->clearFocus();
    return run.result();
}

// Brings the progress line and the title's percentage in line with the running run.
void frmMain::showProgress()
{
    if (!m_run || !m_progressShown)
        return;
    const qint64 now = m_runClock.elapsed();
    m_progressLine.update(ProgressLine::sampleOf(m_run->progress(), now));
    const ProgressState state = m_model.progress(m_progressLine, currentRun(), now, LabelMeasure(*lblMsg));
    lblMsg->setText(fromText(state.message));
    setWindowTitle(fromText(state.title));
    m_progressValue->setValue(state.percent);
    m_progressValue->show();
}

void frmMain::announce(PanelLabel* label)
{
    // One announcement per outcome. A notice appears with it, and screen readers read a notification as it
    // appears, in the background too; taking the focus as well would have it read a second time. The
    // question's label is read as it takes the focus (its text changed while it had none). Only with a
    // screen reader listening: others keep their focus where it was.
    if (label->isNotice())
        return;
    if (QAccessible::isActive() && isActiveWindow() && label->isVisible())
        label->setFocus(Qt::OtherFocusReason);
}

// The run is over; the model says whether a close that nothing may hold back closes the window now.
void frmMain::endRun()
{
    if (m_model.endRun())
        close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_model.closeRequested()) {
        m_progressShown = m_run != nullptr;
        showProgress();
        event->ignore();
        return;
    }
    event->accept();
}

void frmMain::closeWhenRunEnds()
{
    m_model.closeWhenRunEnds();
    close();
}

HelpWindow* frmMain::helpWindow() const
{
    return m_help;
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    // "&Beenden" is the window's cancel button: Esc presses it from anywhere in the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmMain::cmdCancel_Click()
{
    close();
}

void frmMain::cmdCancel_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    m_options.storeScheme(keyCode == Qt::Key_F12   ? WindowOptions::SchemeKey::SystemFace
                          : keyCode == Qt::Key_F11 ? WindowOptions::SchemeKey::White
                                                   : WindowOptions::SchemeKey::Other);
    ApplyBackColor();
}

void frmMain::chkExplorer_Click()
{
    if (IsLoading)
        return;
    const bool shown = m_options.explorerClicked(chkExplorer->isChecked());
    // A refused change puts the box back without a second click.
    const QSignalBlocker quiet(chkExplorer);
    chkExplorer->setChecked(shown);
}

void frmMain::chkQuit_Click()
{
    m_options.setQuitAfterDelete(chkQuit->isChecked());
}

void frmMain::Image1_Click()
{
    const std::filesystem::path chosen =
        modBrowseFolders::BrowseForFolder(m_browseDialog, std::string(WindowLayout::BrowseTitle),
                                          modBrowseFolders::startFolder(CoreBridge::toPath(TargetPath)),
                                          static_cast<QWidget*>(this), false, std::nullopt, true, true);
    // A cancel keeps the loaded target, so the target and the panel still agree.
    if (chosen.empty())
        return;
    TargetPath = CoreBridge::fromPath(chosen);
    forgetLookAlikes();
    RefreshTarget();
}

void frmMain::Image2_Click()
{
    if (!m_help) {
        m_help = new HelpWindow(CoreBridge::fromPath(HelpFile::startPage(m_program.programFolder)),
                                CoreBridge::fromPath(HelpFile::htmlPath(m_program.programFolder)), this);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void frmMain::OLEDragDrop(const QMimeData* data)
{
    const QString path = DropTarget::droppedTarget(data);
    if (path.isNull())
        return;
    TargetPath = path;
    forgetLookAlikes();
    RefreshTarget();
}
