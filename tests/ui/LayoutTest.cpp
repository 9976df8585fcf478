// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "model/WindowLayout.h"
#include "platform/CoreBridge.h"
#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>

namespace {

QString textOf(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return QString();
}

class LayoutTest : public WindowFixture
{
protected:
    // The window as stored, before Form_Load.
    frmMain& created()
    {
        const MainServices services{fileSystem, settings, registry, browseDialog, program, false};
        window = std::make_unique<frmMain>(services);
        return *window;
    }
    int px(int twips) const { return qRound(twips / window->twipsPerPixel()); }
    QWidget* control(const char* name) { return window->findChild<QWidget*>(QLatin1String(name)); }
};

TEST_F(LayoutTest, TwipsPerPixelFollowTheScreen)
{
    created();
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    EXPECT_DOUBLE_EQ(window->twipsPerPixel(), 1440.0 / dpi);
    if (dpi == 96.0) {
        EXPECT_EQ(window->twipsToPixels(4575), 305);
        EXPECT_EQ(window->twipsToPixels(15), 1);
    }
}

TEST_F(LayoutTest, WindowIsAFixedDialogWithCloseButtonOnly)
{
    created();
    EXPECT_EQ(window->size(), QSize(px(4890), px(3390)));
    EXPECT_EQ(window->minimumSize(), window->size());
    EXPECT_EQ(window->maximumSize(), window->size());
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tilgomatic"));
    EXPECT_EQ(window->objectName(), QStringLiteral("frmMain"));
}

TEST_F(LayoutTest, WindowIsCentredOnTheScreen)
{
    created();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - available.center().x()), 1);
    EXPECT_LE(std::abs(window->geometry().center().y() - available.center().y()), 1);
}

TEST_F(LayoutTest, EveryControlStandsWhereTheLayoutPutsIt)
{
    created();
    for (const ControlLayout& row : WindowLayout::controls()) {
        SCOPED_TRACE(row.name);
        QWidget* widget = window->findChild<QWidget*>(CoreBridge::fromText(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(row.inPanel ? "Frame1" : "frmMain"));
        EXPECT_EQ(widget->geometry(),
                  QRect(px(row.left), px(row.top) - px(row.raise), px(row.width), px(row.height)));
        EXPECT_EQ(textOf(widget), CoreBridge::fromText(row.caption));
        EXPECT_EQ(widget->toolTip(), CoreBridge::fromText(row.toolTip));
    }
    EXPECT_EQ(window->toolTip(), QString());
}

TEST_F(LayoutTest, AtNinetySixDotsPerInchThePixelFiguresAreExact)
{
    created();
    if (window->twipsPerPixel() != 15.0)
        GTEST_SKIP() << "screen is not at 96 dots per inch";
    EXPECT_EQ(window->size(), QSize(326, 226));
    EXPECT_EQ(control("Frame2")->geometry(), QRect(2, 174, 321, 49));
    EXPECT_EQ(control("lblMsg")->geometry(), QRect(8, 116, 305, 35));
    EXPECT_EQ(control("Image1")->geometry(), QRect(296, 10, 16, 16));
    EXPECT_EQ(control("cmdDelete")->geometry(), QRect(164, 190, 149, 23));
}

TEST_F(LayoutTest, ControlsAreOfTheirKinds)
{
    created();
    for (const char* name : {"Frame1", "Frame2"})
        EXPECT_NE(qobject_cast<QFrame*>(control(name)), nullptr) << name;
    for (const char* name : {"cmdCancel", "cmdDelete"})
        EXPECT_NE(qobject_cast<QPushButton*>(control(name)), nullptr) << name;
    for (const char* name : {"chkExplorer", "chkQuit"})
        EXPECT_NE(qobject_cast<QCheckBox*>(control(name)), nullptr) << name;
    for (const char* name : {"Image1", "Image2"})
        EXPECT_NE(qobject_cast<PictureBox*>(control(name)), nullptr) << name;
    EXPECT_EQ(window->findChildren<PanelLabel*>().size(), 9);
    EXPECT_TRUE(control("Frame2")->findChildren<QWidget*>().isEmpty());
}

// An earlier created control lies in front of a later one: the buttons in front of Frame2, Frame1's bottom
// edge over Frame2's top edge, the help picture over the size label, lblEmpty over the value rows.
TEST_F(LayoutTest, EarlierControlsLieInFront)
{
    open();
    EXPECT_EQ(window->childAt(window->cmdCancel->geometry().center()), window->cmdCancel);
    EXPECT_EQ(window->childAt(window->cmdDelete->geometry().center()), window->cmdDelete);
    const QPoint sharedRow(window->Frame2->geometry().center().x(), window->Frame2->geometry().top());
    EXPECT_EQ(window->childAt(sharedRow), window->Frame1);
    EXPECT_EQ(window->childAt(sharedRow + QPoint(0, 1)), window->Frame2);

    load(makeFile("a.txt"));
    const QPoint helpCentre = window->Image2->geometry().center();
    ASSERT_TRUE(window->lblFileSize->geometry().contains(helpCentre));
    EXPECT_EQ(window->Frame1->childAt(helpCentre), window->Image2);

    window->lblEmpty->show(); // both at once never happens, but the order must hold
    const QPoint valueRow = window->lblFilePath->geometry().center();
    ASSERT_TRUE(window->lblEmpty->geometry().contains(valueRow));
    EXPECT_EQ(window->Frame1->childAt(valueRow), window->lblEmpty);
}

TEST_F(LayoutTest, StoredStateBeforeLoading)
{
    created();
    EXPECT_TRUE(window->lblEmpty->isHidden());
    for (const char* name : {"lblMsg", "lblFileName", "lblFileNameTitle", "lblFilePath", "lblFilePathTitle",
                             "lblFileSize", "lblFileAttribute", "lblFileAttributeTitle", "Image1", "Image2"})
        EXPECT_FALSE(control(name)->isHidden()) << name;
    EXPECT_TRUE(window->cmdDelete->isEnabled());
    EXPECT_FALSE(window->chkExplorer->isChecked());
    EXPECT_FALSE(window->chkQuit->isChecked());
    EXPECT_TRUE(window->TargetPath().isEmpty());
    EXPECT_FALSE(window->IsLoading());
}

TEST_F(LayoutTest, ColoursAndAlignment)
{
    created();
    const QColor white(255, 255, 255);
    for (const char* name : {"frmMain", "Frame1", "Frame2", "chkExplorer", "chkQuit"}) {
        QWidget* widget = std::string(name) == "frmMain" ? window.get() : control(name);
        EXPECT_EQ(widget->palette().color(QPalette::Window), white) << name;
        EXPECT_EQ(widget->backgroundRole(), QPalette::Window) << name;
        EXPECT_TRUE(widget->autoFillBackground()) << name;
    }
    for (PanelLabel* label : window->findChildren<PanelLabel*>()) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_FALSE(label->autoFillBackground());
        EXPECT_TRUE(label->wordWrap());
        EXPECT_EQ(label->frameShape(), QFrame::NoFrame);
        const Qt::Alignment horizontal = label == window->lblEmpty ? Qt::AlignHCenter : Qt::AlignLeft;
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, horizontal);
        if (label != window->lblMsg) {
            EXPECT_EQ(label->palette().color(QPalette::WindowText),
                      QApplication::palette().color(QPalette::WindowText));
        }
    }
    EXPECT_EQ(window->lblMsg->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

// lblEmpty has no tool tip, and the frame's must not show through it; a file label shows its own.
TEST_F(LayoutTest, EmptyStateTextShowsNoToolTip)
{
    open();
    const QPoint centre = window->lblEmpty->rect().center();
    QHelpEvent overEmpty(QEvent::ToolTip, centre, window->lblEmpty->mapToGlobal(centre));
    QApplication::sendEvent(window->lblEmpty, &overEmpty);
    EXPECT_TRUE(overEmpty.isAccepted());
    EXPECT_TRUE(QToolTip::text().isEmpty());
}

TEST_F(LayoutTest, FocusStartsOnExplorerAndCyclesThroughFourControls)
{
    openWithFile("a.txt");
    window->chkExplorer->setFocus();
    EXPECT_EQ(window->focusWidget(), window->chkExplorer);
    const QList<QWidget*> expected = {window->chkQuit, window->cmdCancel, window->cmdDelete,
                                      window->chkExplorer};
    for (QWidget* next : expected) {
        sendKey(window->focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(window->focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(LayoutTest, DisabledDeleteButtonIsSkippedByTab)
{
    open();
    EXPECT_EQ(window->focusWidget(), window->chkExplorer);
    ASSERT_FALSE(window->cmdDelete->isEnabled());
    window->cmdCancel->setFocus();
    sendKey(window->cmdCancel, Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), window->chkExplorer);
}

TEST_F(LayoutTest, OnlyCheckBoxesAndButtonsTakeTheFocus)
{
    created();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const bool focusable = widget->focusPolicy() & Qt::TabFocus;
        const bool expected = qobject_cast<QCheckBox*>(widget) || qobject_cast<QPushButton*>(widget) ||
                              widget == window->cboLookAlike; // only among look-alikes
        EXPECT_EQ(focusable, expected) << widget->objectName().toStdString();
    }
}

TEST_F(LayoutTest, FontFitsTheLabels)
{
    openWithFile("a.txt");
    const QFontMetrics metrics(window->font());
    EXPECT_LE(metrics.height(), px(225));
    for (PanelLabel* label : window->findChildren<PanelLabel*>())
        EXPECT_EQ(label->font(), window->font()) << label->objectName().toStdString();
    // The question wraps onto exactly the two lines of its label.
    EXPECT_EQ(window->lblMsg->lineCount(), 2);
    EXPECT_EQ(window->lblMsg->visibleLineCount(), 2);
    // The empty-state text wraps and is seen whole.
    EXPECT_GT(window->lblEmpty->lineCount(), 2);
    EXPECT_EQ(window->lblEmpty->visibleLineCount(), window->lblEmpty->lineCount());
    for (PanelLabel* label :
         {window->lblFileNameTitle, window->lblFilePathTitle, window->lblFileAttributeTitle})
        EXPECT_EQ(label->visibleLineCount(), 1) << label->objectName().toStdString();
}

TEST_F(LayoutTest, CheckBoxCaptionsFitTheirBoxes)
{
    created();
    for (QCheckBox* box : {window->chkExplorer, window->chkQuit}) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), contents.width())
            << box->objectName().toStdString();
        EXPECT_LE(box->fontMetrics().height(), box->height());
    }
}

// Only whole lines are drawn: a long file name with blanks shows its first line and nothing of the second.
TEST_F(LayoutTest, PicturesIconAndPointer)
{
    created();
    for (PictureBox* picture : {window->Image1, window->Image2}) {
        SCOPED_TRACE(picture->objectName().toStdString());
        ASSERT_FALSE(picture->pixmap().isNull());
        EXPECT_EQ(picture->pixmap().size(), QSize(16, 16));
        EXPECT_FALSE(picture->hasScaledContents());
        EXPECT_EQ(picture->cursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(picture->cursor().pixmap().size(), QSize(32, 32));
        EXPECT_EQ(picture->cursor().hotSpot(), QPoint(6, 0));
    }
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    const QList<QSize> sizes = window->windowIcon().availableSizes();
    for (const QSize& size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
        EXPECT_TRUE(sizes.contains(size)) << size.width();
}

} // namespace
