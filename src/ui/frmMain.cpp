// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frmMain.h"

#include "model/WindowLayout.h"
#include "platform/CoreBridge.h"
#include "platform/gui/ColorNumber.h"
#include "shell/HelpFile.h"
#include "ui/AccessibleControls.h"
#include "ui/DropSurfaces.h"
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
#include <QEventLoop>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

using CoreBridge::fromText;

namespace {

// The pointing hand over both pictures; its hotspot is the fingertip (resources/icons/README.md).
constexpr int HandHotspotX = 6;
constexpr int HandHotspotY = 0;

// Twips per pixel at the primary screen's logical dots per inch.
double screenTwipsPerPixel()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return WindowLayout::twipsPerPixelAt(screen ? screen->logicalDotsPerInchX() : 0.0);
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

// The services with the numbers' format of the user's locale, as the toolkit knows it.
MainServices withNumbers(MainServices services)
{
    services.numbers = CoreBridge::numberFormat(QLocale());
    return services;
}

} // namespace

frmMain::frmMain(const MainServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
    , m_program(services.program)
    , m_twipsPerPixel(screenTwipsPerPixel())
    , m_presenter(*this, withNumbers(services), m_twipsPerPixel)
{
    AccessibleControls::install();
    setObjectName(QStringLiteral("frmMain"));
    setFont(dialogFont());
    setWindowTitle(fromText(WindowLayout::FirstTitle));
    setWindowIcon(skullIcon());
    setWindowColor(this, QColor::fromRgb(WindowLayout::WindowColor));
    setFixedSize(twipsToPixels(WindowLayout::ClientWidth), twipsToPixels(WindowLayout::ClientHeight));

    createControls();

    m_progressTimer = new QTimer(this);
    connect(m_progressTimer, &QTimer::timeout, this, [this] { m_presenter.progressTimer(); });

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
    m_lookAlikeScan = new LookAlikeScan(services.fileSystem, this);
    connect(m_lookAlikeScan, &LookAlikeScan::finished, this,
            [this](const QString& path, const QStringList& candidates) {
                std::vector<std::filesystem::path> found;
                for (const QString& candidate : candidates)
                    found.push_back(CoreBridge::toPath(candidate));
                m_presenter.lookAlikesFound(CoreBridge::toPath(path), found);
            });

    const auto order = WindowLayout::tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(named(order[i - 1]), named(order[i]));

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

// Creates the controls in the stored order (WindowLayout). Within one container an earlier control lies in
// front of a later one, so each new control goes to the back.
void frmMain::createControls()
{
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
        m_byName.insert(control->objectName(), control);
        if (row.name == "Frame1")
            Frame1 = static_cast<QFrame*>(control);
    }
    const auto named = [this]<typename Control>(Control*& member, const char* name) {
        member = static_cast<Control*>(m_byName.value(QLatin1String(name)));
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
    m_progressValue = static_cast<QProgressBar*>(m_byName.value(QStringLiteral("progressValue")));
    for (const ControlLayout& row : WindowLayout::controls()) {
        if (!row.title.empty())
            static_cast<PanelLabel*>(m_byName.value(fromText(row.name)))
                ->setTitle(static_cast<PanelLabel*>(m_byName.value(fromText(row.title))));
    }

    connect(cboLookAlike, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_presenter.lookAlikeChosen(index); });
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMain::cmdCancel_Click);
    connect(chkExplorer, &QCheckBox::toggled, this, &frmMain::chkExplorer_Click);
    connect(chkQuit, &QCheckBox::toggled, this, &frmMain::chkQuit_Click);
    connect(Image1, &PictureBox::clicked, this, &frmMain::Image1_Click);
    connect(Image2, &PictureBox::clicked, this, &frmMain::Image2_Click);
    for (QWidget* watched : {static_cast<QWidget*>(cmdCancel), static_cast<QWidget*>(chkExplorer),
                             static_cast<QWidget*>(lblEmpty)})
        watched->installEventFilter(this);

    // The drop surfaces: the window and every control on it that shows no action of its own. A file
    // dropped on any of them becomes the target (OLEDragDrop); the controls that act refuse it.
    auto* drops = new DropSurfaces(this);
    connect(drops, &DropSurfaces::dropped, this,
            [this](const QString& path) { m_presenter.OLEDragDrop(CoreBridge::toPath(path)); });
    drops->accept(this);
    for (const ControlLayout& row : WindowLayout::controls()) {
        if (row.drops == ControlLayout::Drops::Take)
            drops->accept(m_byName.value(fromText(row.name)));
        else if (row.drops == ControlLayout::Drops::Refuse)
            drops->refuse(m_byName.value(fromText(row.name)));
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

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == cmdCancel) {
            const auto* key = static_cast<QKeyEvent*>(event);
            cmdCancel_KeyDown(key->key(), key->modifiers());
        }
        break;
    case QEvent::ToolTip:
        if (watched == chkExplorer)
            m_presenter.chkExplorer_ToolTip();
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

void frmMain::Form_Initialize()
{
    // The toolkit's controls are ready once QApplication exists: only the options' state is left. The first
    // control of the tab order takes the focus; a disabled one passes it on.
    m_presenter.Form_Initialize();
    for (const std::string_view name : WindowLayout::tabOrder())
        if (QWidget* control = named(name); control->isEnabled() && !control->isHidden()) {
            control->setFocus(Qt::OtherFocusReason);
            break;
        }
}

QString frmMain::TargetPath() const
{
    return CoreBridge::fromPath(m_presenter.TargetPath);
}

HelpWindow* frmMain::helpWindow() const
{
    return m_help;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_presenter.closeRequested())
        event->accept();
    else
        event->ignore();
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

void frmMain::cmdCancel_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    m_presenter.cmdCancel_KeyDown(WindowOptions::schemeKeyOf(
        CoreBridge::toText(QKeySequence(keyCode).toString(QKeySequence::PortableText))));
}

QWidget* frmMain::named(std::string_view control) const
{
    return m_byName.value(fromText(control));
}

void frmMain::setTitle(const std::string& text)
{
    setWindowTitle(fromText(text));
}

void frmMain::setControlText(std::string_view control, const std::string& text)
{
    static_cast<QLabel*>(named(control))->setText(fromText(text));
}

void frmMain::setSpokenText(std::string_view control, const std::string& text)
{
    named(control)->setAccessibleName(fromText(text));
}

void frmMain::setControlToolTip(std::string_view control, const std::string& text)
{
    named(control)->setToolTip(fromText(text));
}

void frmMain::setControlVisible(std::string_view control, bool visible)
{
    named(control)->setVisible(visible);
}

void frmMain::setControlEnabled(std::string_view control, bool enabled)
{
    named(control)->setEnabled(enabled);
}

void frmMain::setChecked(std::string_view control, bool checked)
{
    auto* box = static_cast<QCheckBox*>(named(control));
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

bool frmMain::isChecked(std::string_view control) const
{
    return static_cast<QCheckBox*>(named(control))->isChecked();
}

void frmMain::setChoices(std::string_view control, const std::vector<Choice>& entries)
{
    auto* choice = static_cast<QComboBox*>(named(control));
    const QSignalBlocker quiet(choice);
    choice->clear();
    for (const Choice& entry : entries) {
        choice->addItem(fromText(entry.shown));
        choice->setItemData(choice->count() - 1, fromText(entry.whole), Qt::ToolTipRole);
        choice->setItemData(choice->count() - 1, fromText(entry.whole), Qt::AccessibleTextRole);
    }
}

void frmMain::setProgress(int percent)
{
    m_progressValue->setValue(percent);
}

void frmMain::setBackColor(std::int32_t colorNumber)
{
    // A system colour the toolkit does not know keeps the colours the window has.
    const auto color = ColorNumber::toColor(colorNumber, QApplication::palette());
    if (!color)
        return;
    setWindowColor(this, *color);
    for (const ControlLayout& row : WindowLayout::controls())
        if (row.schemed)
            setWindowColor(named(row.name), *color);
}

std::unique_ptr<TextMeasure> frmMain::measure(std::string_view control) const
{
    return std::make_unique<LabelMeasure>(*named(control));
}

void frmMain::focusControl(std::string_view control)
{
    if (isActiveWindow() && named(control)->isVisible())
        named(control)->setFocus(Qt::OtherFocusReason);
}

std::string frmMain::focusedControl() const
{
    const QWidget* focus = focusWidget();
    return focus && focus->hasFocus() ? CoreBridge::toText(focus->objectName()) : std::string();
}

void frmMain::dropFocus()
{
    if (QWidget* focus = focusWidget())
        focus->clearFocus();
}

NumberFormat frmMain::numberFormat() const
{
    return CoreBridge::numberFormat(QLocale());
}

bool frmMain::screenReaderListening() const
{
    return QAccessible::isActive();
}

void frmMain::announce(std::string_view)
{
    // A notice label says its text as it appears (PanelLabel); the question's label is read as it takes the
    // focus. Without a screen reader there is nobody to tell.
}

void frmMain::startProgressTimer(int ms)
{
    m_progressTimer->start(ms);
}

void frmMain::stopProgressTimer()
{
    m_progressTimer->stop();
}

std::function<void()> frmMain::runEndNotice()
{
    // The loop outlives the window if need be: the worker's word of the end reaches it either way.
    m_runLoop = std::make_shared<QEventLoop>();
    return [loop = m_runLoop] {
        QMetaObject::invokeMethod(loop.get(), &QEventLoop::quit, Qt::QueuedConnection);
    };
}

void frmMain::awaitRun()
{
    // Only a quit of the whole application ends the loop early; the file is finished all the same.
    const std::shared_ptr<QEventLoop> loop = m_runLoop;
    const QPointer<frmMain> alive(this);
    loop->exec();
    if (!alive)
        return;
    m_runLoop.reset();
    m_presenter.runFinished();
}

bool frmMain::startLookAlikeScan(const std::filesystem::path& path)
{
    m_lookAlikeScan->start(CoreBridge::fromPath(path));
    return true;
}

void frmMain::stopLookAlikeScan()
{
    m_lookAlikeScan->stop();
}

void frmMain::openHelp()
{
    if (!m_help) {
        m_help = new HelpWindow(CoreBridge::fromPath(HelpFile::startPage(m_program.programFolder)),
                                CoreBridge::fromPath(HelpFile::htmlPath(m_program.programFolder)), this);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}
