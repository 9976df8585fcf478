// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmMain.h"

#include "engine/OverwriteCheck.h"
#include "engine/ShredReport.h"
#include "engine/ShredRun.h"
#include "engine/Shredder.h"
#include "platform/CoreBridge.h"
#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SettingsStore.h"
#include "platform/ShellEntries.h"
#include "platform/gui/ColorNumber.h"
#include "shell/BrowseFolders.h"
#include "shell/ExplorerKontext.h"
#include "shell/HelpFile.h"
#include "target/CompactPath.h"
#include "target/PanelText.h"
#include "target/TargetIntake.h"
#include "ui/AccessibleControls.h"
#include "ui/HelpWindow.h"
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

namespace {

const QString DropToolTip = QStringLiteral("Ziehen Sie eine Datei in dieses Fenster");
const QString Question =
    QStringLiteral("Möchten Sie diese Datei unwiderruflich schreddern und löschen, damit "
                   "sie nie wieder hergestellt werden kann?");
const QString EmptyText =
    QStringLiteral("Ziehen Sie die Datei die ermordet werden soll in dieses Fenster oder "
                   "suchen Sie die Datei mit einem Klick auf den Ordner oben rechts.");
const QString RootForOtherUserToolTip =
    QStringLiteral("Tilgomatic läuft mit den Rechten von root für einen anderen Benutzer. Die "
                   "Explorererweiterung würde bei root eingetragen, wo Ihr Dateimanager sie nie findet; "
                   "starten Sie Tilgomatic ohne sudo, um sie ein- oder auszuschalten.");
const QString BrowseTitle = QStringLiteral("Datei zum löschen suchen");
const QString OptionsSection = QStringLiteral("Options");
const QString SystemFaceColor = QStringLiteral("&H8000000F");
const QString WhiteColor = QStringLiteral("&H00FFFFFF");

// The pointing hand over both pictures; its hotspot is the fingertip (resources/icons/README.md).
constexpr int HandHotspotX = 6;
constexpr int HandHotspotY = 0;

// How long the answer to a click on "&Datei löschen" during a run stays in the progress line.
constexpr qint64 WaitNoticeMs = 4000;

// The folder label's stored width: the panel shortens the folder to it.
constexpr int FilePathWidthTwips = 4575;
// The gap the size text keeps from the help picture, which stands inside the size label's stored width.
constexpr int SizeGapTwips = 60;

// The window's client area in twips.
constexpr int ClientWidthTwips = 4890;
constexpr int ClientHeightTwips = 3390;

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
    if (TargetIntake::droppedTarget(event->mimeData()).isNull())
        return Qt::IgnoreAction;
    if (event->possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event->possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace

const QString frmMain::ExplorerVerb = QStringLiteral("Tilgomatic");

frmMain::frmMain(const MainServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_fileSystem(services.fileSystem)
    , m_settings(services.settings)
    , m_registry(services.registry)
    , m_shellEntries(services.shellEntries)
    , m_browseDialog(services.browseDialog)
    , m_program(services.program)
    , m_twipsPerPixel(screenTwipsPerPixel())
{
    AccessibleControls::install();
    setObjectName(QStringLiteral("frmMain"));
    setFont(dialogFont());
    setWindowTitle(QStringLiteral("Tilgomatic"));
    setWindowIcon(skullIcon());
    setWindowColor(this, Qt::white);
    setFixedSize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips));

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
    bindKey(Image1, QKeySequence(Qt::CTRL | Qt::Key_O), &frmMain::Image1_Click);
    bindKey(Image2, QKeySequence(Qt::Key_F1), &frmMain::Image2_Click);
    // The look-alike choice has no label of its own to carry an access key: the question names the key.
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_W), this), &QShortcut::activated, this, [this] {
        if (cboLookAlike->isVisible())
            cboLookAlike->setFocus(Qt::ShortcutFocusReason);
    });
    m_lookAlikeScan = new LookAlikeScan(m_fileSystem, this);
    connect(m_lookAlikeScan, &LookAlikeScan::finished, this, &frmMain::lookAlikesFound);

    if (services.rootForOtherUser) {
        chkExplorer->setEnabled(false);
        chkExplorer->setToolTip(RootForOtherUserToolTip);
    }

    setTabOrder(cboLookAlike, chkExplorer);
    setTabOrder(chkExplorer, chkQuit);
    setTabOrder(chkQuit, cmdCancel);
    setTabOrder(cmdCancel, cmdDelete);
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
    return qRound(twips / m_twipsPerPixel);
}

// Creates the controls in the stored order. Within one container an earlier control lies in front of a
// later one, so each new control goes to the back.
void frmMain::createControls()
{
    const auto makeButton = [this](const char* name, const QString& text, int left) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(twipsToPixels(left), twipsToPixels(2850), twipsToPixels(2235),
                            twipsToPixels(345));
        button->setFocusPolicy(Qt::StrongFocus);
        // Enter on the focused button presses it, as Space does.
        button->setAutoDefault(true);
        button->lower();
        return button;
    };
    const auto makeFrame = [this](const char* name, int top, int height) {
        auto* frame = new QFrame(this);
        frame->setObjectName(QLatin1String(name));
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setMidLineWidth(0);
        frame->setGeometry(twipsToPixels(30), twipsToPixels(top), twipsToPixels(4815), twipsToPixels(height));
        frame->setToolTip(DropToolTip);
        frame->setProperty("tilgomaticPanel", true);
        setWindowColor(frame, Qt::white);
        frame->lower();
        return frame;
    };

    cmdDelete = makeButton("cmdDelete", QStringLiteral("&Datei löschen"), 2460);
    cmdCancel = makeButton("cmdCancel", QStringLiteral("&Beenden"), 180);
    Frame1 = makeFrame("Frame1", 0, 2625);

    const auto makeCheckBox = [this](const char* name, const QString& text, int left) {
        auto* box = new QCheckBox(text, Frame1);
        box->setObjectName(QLatin1String(name));
        placeInFrame(box, left, 2250, 2235, 225);
        box->setToolTip(DropToolTip);
        box->setFocusPolicy(Qt::StrongFocus);
        // A check box fills its background with the button colour by default; ours takes the window colour
        // like the frame around it.
        box->setBackgroundRole(QPalette::Window);
        setWindowColor(box, Qt::white);
        return box;
    };
    const auto makePicture = [this](const char* name, const char* image, const QString& toolTip, int left,
                                    int top) {
        auto* picture = new PictureBox(Frame1);
        picture->setObjectName(QLatin1String(name));
        picture->setPixmap(QPixmap(QStringLiteral(":/icons/%1").arg(QLatin1String(image))));
        placeInFrame(picture, left, top, 240, 240);
        picture->setToolTip(toolTip);
        picture->setCursor(handCursor());
        return picture;
    };
    const auto makeLabel = [this](const char* name, const QString& text, int left, int top, int width,
                                  int height) {
        auto* label = new PanelLabel(Frame1);
        label->setObjectName(QLatin1String(name));
        label->setText(text);
        placeInFrame(label, left, top, width, height);
        return label;
    };

    chkQuit = makeCheckBox("chkQuit", QStringLiteral("Nach Löschen schliessen"), 2430);
    chkExplorer = makeCheckBox("chkExplorer", QStringLiteral("Explorererweiterung"), 120);
    Image2 = makePicture("Image2", "help-16.png", QStringLiteral("Hilfe"), 4050, 180);
    lblEmpty = makeLabel("lblEmpty", EmptyText, 1020, 600, 2805, 1335);
    lblEmpty->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblEmpty->setNotice(true);
    lblEmpty->hide();
    Image1 = makePicture("Image1", "browse-16.png", QStringLiteral("Datei laden"), 4440, 150);
    lblMsg = makeLabel("lblMsg", Question, 120, 1740, 4575, 525);
    lblFileAttribute = makeLabel("lblFileAttribute", QString(), 120, 1470, 4575, 225);
    lblFileAttributeTitle =
        makeLabel("lblFileAttributeTitle", QStringLiteral("Dateiattribute"), 120, 1260, 4575, 225);
    lblFilePath = makeLabel("lblFilePath", QString(), 120, 960, FilePathWidthTwips, 225);
    lblFilePathTitle = makeLabel("lblFilePathTitle", QStringLiteral("Speicherort"), 120, 750, 4575, 225);
    lblFileName = makeLabel("lblFileName", QString(), 120, 450, 4605, 225);
    lblFileNameTitle = makeLabel("lblFileNameTitle", QStringLiteral("Dateiname"), 120, 240, 1575, 225);
    lblFileSize = makeLabel("lblFileSize", QStringLiteral("Dateigrösse"), 1710, 240, 2685, 225);

    cboLookAlike = new QComboBox(Frame1);
    cboLookAlike->setObjectName(QStringLiteral("cboLookAlike"));
    cboLookAlike->setGeometry(lblFileName->x(), lblFileName->y() - twipsToPixels(15), lblFileName->width(),
                              twipsToPixels(300));
    cboLookAlike->setFocusPolicy(Qt::StrongFocus);
    cboLookAlike->setAccessibleName(QStringLiteral("Gemeinte Datei"));
    cboLookAlike->setAccessibleDescription(
        QStringLiteral("Dateien, für die der übergebene Name stehen kann, mit Grösse und Änderungszeit."));
    cboLookAlike->hide();
    connect(cboLookAlike, &QComboBox::currentIndexChanged, this, &frmMain::lookAlikeChosen);

    lblFileName->setTitle(lblFileNameTitle);
    lblFilePath->setTitle(lblFilePathTitle);
    lblFileAttribute->setTitle(lblFileAttributeTitle);
    chkExplorer->setAccessibleDescription(
        QStringLiteral("Trägt Tilgomatic in das Rechtsklickmenü Ihrer Dateimanager ein."));
    chkQuit->setAccessibleDescription(
        QStringLiteral("Tilgomatic schliesst nach dem Löschen nur, wenn die Datei nachweislich vernichtet "
                       "ist; jede andere Meldung bleibt im Fenster stehen."));

    // Behind the question, which covers it; shown only while a run lasts.
    m_progressValue = new SilentProgressBar(Frame1);
    m_progressValue->setObjectName(QStringLiteral("progressValue"));
    m_progressValue->setAccessibleName(QStringLiteral("Überschrieben"));
    m_progressValue->setRange(0, 100);
    m_progressValue->setFocusPolicy(Qt::NoFocus);
    m_progressValue->setGeometry(lblMsg->geometry());
    m_progressValue->lower();
    m_progressValue->hide();

    QPalette red = lblMsg->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblMsg->setPalette(red);

    for (PanelLabel* label : {lblMsg, lblFileAttribute, lblFileAttributeTitle, lblFilePath, lblFilePathTitle,
                              lblFileName, lblFileNameTitle, lblFileSize})
        label->setToolTip(DropToolTip);

    Frame2 = makeFrame("Frame2", 2610, 735);

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
    for (QWidget* surface : std::initializer_list<QWidget*>{
             this, Frame1, chkExplorer, chkQuit, lblEmpty, lblMsg, lblFileName, lblFileNameTitle, lblFilePath,
             lblFilePathTitle, lblFileSize, lblFileAttribute, lblFileAttributeTitle})
        acceptDropsFor(surface);
    for (QWidget* control : std::initializer_list<QWidget*>{Frame2, cmdCancel, cmdDelete, Image1, Image2})
        refuseDropsFor(control);
}

// Places a control of Frame1 (positions relative to the frame's outer corner) and sends it to the back.
void frmMain::placeInFrame(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                         twipsToPixels(height));
    control->lower();
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
                modExplorerKontext::restartHint(m_shellEntries->runningWithDelayedUpdate()));
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
    chkExplorer->setChecked(readOption(QStringLiteral("ExplorerMnu"), QStringLiteral("0")) ==
                            QLatin1String("1"));
    chkQuit->setChecked(readOption(QStringLiteral("QuitAction"), QStringLiteral("0")) == QLatin1String("1"));
    TargetPath = TargetIntake::commandLineTarget(m_program.arguments, m_program.workingFolder, m_fileSystem);
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
    // Taken before the panel reads the file, so that a file swapped in meanwhile is never the one destroyed.
    m_targetIdentity =
        TargetPath.isEmpty() ? FileIdentity() : m_fileSystem.identify(CoreBridge::toPath(TargetPath));
    setWindowTitle(PanelText::windowTitle());
    ShowNameAndFolder();
    SetPanelState();
    m_describable = true;
    m_folderTarget = false;
    if (!TargetPath.isEmpty()) {
        ShowFileAttributes();
        ShowFileSize();
    }
    // A target that cannot be read cannot be destroyed either, nor can a folder: say so in place of the
    // question. One whose file system will keep copies is warned of in its place, so that the user can
    // choose another way; where no run could see other users' programs holding the file, the question
    // says so.
    // A read-only medium is said so, and the file is not offered for deletion, as for a folder.
    // A file the kernel only shows (/sys, /proc) is not offered either; one whose sweeps cannot fit is
    // warned of, and the button stays, as the space may be freed before it is pressed.
    QString warning;
    m_readOnlyTarget = false;
    RunOutlook outlook;
    if (!TargetPath.isEmpty() && m_describable && !m_folderTarget) {
        const StorageMap storage = m_fileSystem.storageMapOf(CoreBridge::toPath(TargetPath));
        m_readOnlyTarget = storage.readOnly;
        warning = CoreBridge::fromText(ShredReport::warningText(OverwriteCheck::expect(storage)));
        outlook = m_fileSystem.outlook(m_targetIdentity);
    }
    if (outlook.status == OpenStatus::PseudoFile) {
        lblMsg->setText(CoreBridge::fromText(ShredReport::pseudoFileText()));
        cmdDelete->setEnabled(false);
    } else if (m_folderTarget)
        lblMsg->setText(PanelText::folderText());
    else if (!m_describable)
        lblMsg->setText(PanelText::notDescribableText(TargetPath));
    else if (m_readOnlyTarget)
        lblMsg->setText(PanelText::readOnlyText());
    else if (outlook.status == OpenStatus::NoSpace)
        lblMsg->setText(CoreBridge::fromText(ShredReport::noSpaceWarningText(
            outlook.spaceNeeded, outlook.spaceFree, CoreBridge::numberFormat(QLocale()))));
    else if (!warning.isEmpty())
        lblMsg->setText(warning);
    else
        lblMsg->setText(m_fileSystem.openersMayBeUnseen(CoreBridge::toPath(TargetPath))
                            ? PanelText::uncheckedOpenersQuestion()
                            : Question);
    if (!m_describable || m_readOnlyTarget)
        cmdDelete->setEnabled(false);
    showLookAlikes();
    // A target chosen during a run is shown, but the line below it keeps telling of the run.
    if (m_progressShown)
        showProgress();
}

void frmMain::startLookAlikeScan()
{
    forgetLookAlikes();
    if (!PanelText::fileName(TargetPath).contains(QChar::ReplacementCharacter))
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
    cboLookAlike->addItem(QStringLiteral("Bitte wählen Sie die gemeinte Datei"));
    const QFontMetrics metrics(cboLookAlike->font());
    const int room = cboLookAlike->width() - twipsToPixels(450); // the arrow and the frame
    for (const QString& candidate : candidates) {
        qint64 size = -1;
        try {
            size = m_fileSystem.fileLength(CoreBridge::toPath(candidate));
        } catch (const FileError&) {
            // Shown as unknown; loading it then tells why.
        }
        const QDateTime modified =
            CoreBridge::toDateTime(m_fileSystem.modifiedTime(CoreBridge::toPath(candidate)));
        cboLookAlike->addItem(
            TargetIntake::candidateText(candidate, size, modified, QLocale(), metrics, room), candidate);
        // Whole, for the mouse pointer and for screen readers.
        const QString whole =
            TargetIntake::candidateText(candidate, size, modified, QLocale(), metrics, INT_MAX / 2);
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

void frmMain::showLookAlikes()
{
    if (TargetPath.isEmpty())
        forgetLookAlikes();
    const bool choosing = !m_lookAlikes.isEmpty();
    cboLookAlike->setVisible(choosing);
    lblFileName->setVisible(!TargetPath.isEmpty() && !choosing);
    if (m_lookAlikeSource.isEmpty() || TargetPath.isEmpty())
        return;
    if (!choosing) {
        // Still looking: the name may stand for another file, which no run may hit meanwhile.
        lblMsg->setText(TargetIntake::lookAlikeScanText());
        cmdDelete->setEnabled(false);
        return;
    }
    // Nothing chosen yet: the panel describes the name as given, which no run may take.
    if (cboLookAlike->currentIndex() <= 0) {
        lblMsg->setText(TargetIntake::ambiguityText(m_lookAlikes.size()));
        cmdDelete->setEnabled(false);
    }
}

void frmMain::ShowNameAndFolder()
{
    // Bytes that are no UTF-8 are shown as "\xE4"; the target itself keeps them.
    const QString shown = NativePath::displayText(TargetPath);
    // A name too long for its line keeps its start and its extension; screen readers get it whole.
    const QString name = PanelText::fileName(shown);
    lblFileName->setText(
        QFontMetrics(lblFileName->font()).elidedText(name, Qt::ElideMiddle, lblFileName->width()));
    lblFileName->setAccessibleName(name);
    const QString folder = PanelText::parentFolder(shown);
    lblFilePath->setText(
        modCompactPath::CompactPath(QFontMetrics(font()), folder, FilePathWidthTwips, m_twipsPerPixel));
}

void frmMain::SetPanelState()
{
    const bool empty = TargetPath.isEmpty();
    lblEmpty->setVisible(empty);
    for (PanelLabel* label : {lblFileAttribute, lblFileAttributeTitle, lblFileName, lblFileNameTitle,
                              lblFilePath, lblFilePathTitle, lblFileSize, lblMsg})
        label->setVisible(!empty);
    cmdDelete->setEnabled(!empty);
}

void frmMain::ShowFileAttributes()
{
    try {
        const int word = m_fileSystem.attributes(CoreBridge::toPath(TargetPath));
        if (word & FileAttributes::Directory) {
            // The words of the last file would stand beside the folder's name.
            lblFileAttribute->setText(PanelText::folderAttributeText());
            m_folderTarget = true;
            m_describable = false;
        } else if (const auto text = PanelText::attributeText(word)) {
            lblFileAttribute->setText(*text);
        }
    } catch (const FileError&) {
        lblFileAttribute->setText(PanelText::unreadableAttributeText());
        m_describable = false;
    }
}

void frmMain::ShowFileSize()
{
    try {
        const int room = Image2->x() - lblFileSize->x() - twipsToPixels(SizeGapTwips);
        lblFileSize->setText(PanelText::sizeText(m_fileSystem.fileLength(CoreBridge::toPath(TargetPath)),
                                                 QLocale(), QFontMetrics(lblFileSize->font()), room));
    } catch (const FileError&) {
        lblFileSize->setText(PanelText::unknownSizeText());
        m_describable = false;
    }
}

void frmMain::ApplyBackColor()
{
    const QString stored = readOption(QStringLiteral("BGColor"), QString());
    if (stored.size() <= 1)
        return;
    // A text that does not convert, or a system colour the toolkit does not know, keeps the colours the
    // window has rather than painting it black.
    const auto number = ColorNumber::fromText(stored);
    if (!number)
        return;
    const auto color = ColorNumber::toColor(*number, QApplication::palette());
    if (!color)
        return;
    for (QWidget* control : std::initializer_list<QWidget*>{Frame1, Frame2, chkExplorer, chkQuit, this})
        setWindowColor(control, *color);
}

void frmMain::cmdDelete_Click()
{
    // A click while a run is going on is not obeyed: the new target it would destroy is dropped by the
    // finishing run anyway, and a second run would interleave two files' sweeps. It is answered, though,
    // so that nobody takes the finishing run's success for the second file's.
    if (m_shredding) {
        m_waitNoticeUntilMs = m_runClock.elapsed() + WaitNoticeMs;
        showProgress();
        return;
    }

    const QPointer<frmMain> alive(this);
    const QString runPath = TargetPath;
    m_shredding = true;
    modShredder::ShredResult result;
    try {
        result = runShredder(runPath, m_targetIdentity);
    } catch (const std::exception&) {
        // The file vanished or cannot be queried or changed; nothing was opened or written. The command
        // ends without a word, but the panel is described afresh so that it shows why: a vanished file
        // as missing, one that is still there (read-only and immutable) as refused.
        if (alive) {
            RefreshTarget();
            if (m_describable)
                lblMsg->setText(CoreBridge::fromText(
                    m_readOnlyTarget ? ShredReport::readOnlyRefusalText()
                                     : ShredReport::openFailureText(OpenStatus::AccessDenied)));
            endRun();
            announce(lblMsg);
        }
        return;
    }
    if (!alive)
        return;
    m_shredding = false;
    const bool targetChangedDuringRun = TargetPath != runPath;

    if (!result.opened()) {
        // Nothing was destroyed: the file and the target stay, and the window says why. The panel is
        // described afresh first: a file changed since it was loaded is to be looked at again.
        RefreshTarget();
        const QString warning = lblMsg->text();
        if (m_readOnlyTarget)
            lblMsg->setText(CoreBridge::fromText(ShredReport::readOnlyRefusalText()));
        else if (result.open == OpenStatus::NoSpace)
            lblMsg->setText(CoreBridge::fromText(ShredReport::noSpaceText(
                result.spaceNeeded, result.spaceFree, CoreBridge::numberFormat(QLocale()))));
        else if (result.open == OpenStatus::InUse)
            lblMsg->setText(CoreBridge::fromText(ShredReport::inUseText(result.holder)));
        else if (result.open != OpenStatus::Changed || m_describable)
            lblMsg->setText(CoreBridge::fromText(ShredReport::openFailureText(result.open)));
        // What the file now is may need a warning of its own (further names, copies); it goes with the
        // word that nothing was done, where both fit.
        if (result.open == OpenStatus::Changed && m_describable && cmdDelete->isEnabled() &&
            warning != Question && warning != PanelText::uncheckedOpenersQuestion()) {
            lblMsg->setText(CoreBridge::fromText(ShredReport::changedText(CoreBridge::toText(warning))));
            if (lblMsg->visibleLineCount() < lblMsg->lineCount())
                lblMsg->setText(
                    CoreBridge::fromText(ShredReport::changedText(CoreBridge::toText(warning), false)));
            if (lblMsg->visibleLineCount() < lblMsg->lineCount())
                lblMsg->setText(CoreBridge::fromText(ShredReport::openFailureText(result.open)));
        }
    } else if (!result.nameRemoved) {
        // The file is still there under its name, to be run again; a target chosen meanwhile stays chosen.
        RefreshTarget();
        const std::string report =
            result.writesOk && result.syncsOk ? ShredReport::nameKeptText() : ShredReport::incompleteText();
        lblMsg->setText(CoreBridge::fromText(
            targetChangedDuringRun
                ? ShredReport::withDestroyedName(report, CoreBridge::toText(m_runFileName), false)
                : report));
    } else {
        TargetPath.clear();
        // Only a run that can be vouched for closes the window, whether the option or a close during the
        // run asks for it; otherwise the user has to read that the file was not completely overwritten, or
        // that copies or further names remain.
        if ((chkQuit->isChecked() || m_closeWanted) && result.destroyed() && !result.overwrite.otherNames) {
            m_closeWanted = false;
            m_closeForced = false;
            close();
            return;
        }
        // The outcome is in place before the label appears, so that a screen reader reads it, not the
        // invitation it replaces.
        const std::string report = result.fullyOverwritten() ? ShredReport::overwriteText(result.overwrite)
                                                             : ShredReport::incompleteText();
        // The file chosen during the run was on screen until now: name the one that was destroyed, and
        // say that the other is untouched where the label has room for it.
        lblEmpty->setText(CoreBridge::fromText(report));
        if (targetChangedDuringRun) {
            const std::string name =
                CoreBridge::toText(QFontMetrics(lblEmpty->font())
                                       .elidedText(m_runFileName, Qt::ElideMiddle, lblEmpty->width() / 2));
            lblEmpty->setText(CoreBridge::fromText(ShredReport::withDestroyedName(report, name)));
            if (lblEmpty->visibleLineCount() < lblEmpty->lineCount())
                lblEmpty->setText(CoreBridge::fromText(ShredReport::withDestroyedName(report, name, false)));
        }
        RefreshTarget();
    }
    endRun();
    announce(result.nameRemoved ? lblEmpty : lblMsg);
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
    m_runFileName = PanelText::fileName(NativePath::displayText(path));
    m_runPath = path;
    m_progressLine = ProgressLine();
    m_progressShown = false;
    m_waitNoticeUntilMs = -1;
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
    if (m_closeWanted)
        lblMsg->setText(CoreBridge::fromText(m_progressLine.closingText()));
    else if (now < m_waitNoticeUntilMs)
        showFitted(
            lblMsg,
            [this](const QString& name) {
                return CoreBridge::fromText(m_progressLine.waitText(CoreBridge::toText(name)));
            },
            m_runFileName);
    else if (TargetPath != m_runPath) // the panel above shows another file
        showFitted(
            lblMsg,
            [this](const QString& name) {
                return CoreBridge::fromText(m_progressLine.textNaming(CoreBridge::toText(name)));
            },
            m_runFileName);
    else
        lblMsg->setText(CoreBridge::fromText(m_progressLine.text()));
    setWindowTitle(
        CoreBridge::fromText(m_progressLine.titleWith(CoreBridge::toText(PanelText::windowTitle()))));
    m_progressValue->setValue(m_progressLine.percent());
    m_progressValue->show();
}

void frmMain::showFitted(PanelLabel* label, const std::function<QString(const QString&)>& textWith,
                         const QString& name)
{
    QString fitted = textWith(name);
    if (!label->fitsWhole(fitted)) {
        // The widest shortening of the name that fits; no name at all when even an ellipsis does not.
        const QFontMetrics metrics(label->font());
        fitted = textWith(QString());
        int low = 0;
        int high = metrics.horizontalAdvance(name);
        while (low < high) {
            const int width = (low + high + 1) / 2;
            const QString candidate = textWith(metrics.elidedText(name, Qt::ElideMiddle, width));
            if (label->fitsWhole(candidate)) {
                fitted = candidate;
                low = width;
            } else {
                high = width - 1;
            }
        }
    }
    if (label->text() != fitted)
        label->setText(fitted);
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

// The run is over without an outcome that could be vouched for: a close asked for meanwhile is dropped,
// so that the window can say what became of the file, unless nothing may hold the close back.
void frmMain::endRun()
{
    m_shredding = false;
    m_closeWanted = false;
    if (m_closeForced) {
        m_closeForced = false;
        close();
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing in the middle of a run would leave the running command without its window; it closes the
    // window once the file is destroyed, and says so at once.
    if (m_shredding) {
        m_closeWanted = true;
        m_progressShown = m_run != nullptr;
        showProgress();
        event->ignore();
        return;
    }
    event->accept();
}

void frmMain::closeWhenRunEnds()
{
    m_closeForced = true;
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
    if (keyCode == Qt::Key_F12)
        saveOption(QStringLiteral("BGColor"), SystemFaceColor);
    else if (keyCode == Qt::Key_F11)
        saveOption(QStringLiteral("BGColor"), WhiteColor);
    ApplyBackColor();
}

void frmMain::chkExplorer_Click()
{
    if (IsLoading)
        return;
    try {
        if (chkExplorer->isChecked()) {
            saveOption(QStringLiteral("ExplorerMnu"), QStringLiteral("1"));
            modExplorerKontext::SetExplorerMenu(m_registry, ExplorerVerb,
                                                modExplorerKontext::programCommand(m_program));
        } else {
            saveOption(QStringLiteral("ExplorerMnu"), QStringLiteral("0"));
            modExplorerKontext::SetExplorerMenu(m_registry, ExplorerVerb, QString());
        }
    } catch (const std::exception&) {
        // The box and the stored wish keep their new state whether or not the entry could be changed.
    }
}

void frmMain::chkQuit_Click()
{
    saveOption(QStringLiteral("QuitAction"),
               chkQuit->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmMain::Image1_Click()
{
    const QString chosen = modBrowseFolders::BrowseForFolder(m_browseDialog, BrowseTitle,
                                                             modBrowseFolders::startFolder(TargetPath), this,
                                                             false, std::nullopt, true, true);
    // A cancel keeps the loaded target, so the target and the panel still agree.
    if (chosen.isEmpty())
        return;
    TargetPath = chosen;
    forgetLookAlikes();
    RefreshTarget();
}

void frmMain::Image2_Click()
{
    if (!m_help) {
        m_help = new HelpWindow(HelpFile::startPage(m_program.programFolder),
                                HelpFile::htmlPath(m_program.programFolder), this);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

// The stored text of key, or defaultValue; a damaged store never stops the window.
QString frmMain::readOption(const QString& key, const QString& defaultValue)
{
    try {
        return m_settings.read(m_program.executableName, OptionsSection, key, defaultValue);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

void frmMain::saveOption(const QString& key, const QString& value)
{
    try {
        m_settings.save(m_program.executableName, OptionsSection, key, value);
    } catch (const std::exception&) {
        // The option then lasts only while the program runs.
    }
}

void frmMain::OLEDragDrop(const QMimeData* data)
{
    const QString path = TargetIntake::droppedTarget(data);
    if (path.isNull())
        return;
    TargetPath = path;
    forgetLookAlikes();
    RefreshTarget();
}
