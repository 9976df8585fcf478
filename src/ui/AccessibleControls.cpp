// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AccessibleControls.h"

#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QAccessibleWidget>
#include <QFrame>
#include <QPointer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <vector>

namespace {

// A clickable picture: a push button named by its tool tip ("Hilfe", "Datei laden").
class PictureButton : public QAccessibleWidget
{
public:
    explicit PictureButton(PictureBox* picture)
        : QAccessibleWidget(picture, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    QString text(QAccessible::Text t) const override
    {
        const auto* picture = static_cast<PictureBox*>(widget());
        switch (t) {
        case QAccessible::Name:
            return picture->accessibleName().isEmpty() ? picture->toolTip() : picture->accessibleName();
        case QAccessible::Description:
            return picture->accessibleDescription();
        case QAccessible::Accelerator:
            return picture->shortcut().toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& actionName) override
    {
        // Queued: the press opens a modal dialog, and the screen reader waits for the answer to its call.
        if (actionName == pressAction() && widget()->isEnabled())
            QMetaObject::invokeMethod(static_cast<PictureBox*>(widget()), &PictureBox::press,
                                      Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override
    {
        const QKeySequence shortcut = static_cast<PictureBox*>(widget())->shortcut();
        if (actionName != pressAction() || shortcut.isEmpty())
            return {};
        return {shortcut.toString(QKeySequence::NativeText)};
    }
};

// What a screen reader finds of a PanelLabel: static text named by what it shows (line breaks as such),
// with the title above it as its label.
class AccessiblePanelLabel : public QAccessibleWidget
{
public:
    explicit AccessiblePanelLabel(PanelLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {}

    QAccessible::Role role() const override
    {
        return static_cast<PanelLabel*>(widget())->isNotice() ? QAccessible::Notification
                                                              : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        const auto* label = static_cast<PanelLabel*>(widget());
        switch (t) {
        case QAccessible::Name: {
            if (!label->accessibleName().isEmpty())
                return label->accessibleName();
            QString shown = label->text();
            shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            return shown;
        }
        case QAccessible::Description:
            return label->accessibleDescription();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto result = QAccessibleWidget::relations(match);
        const auto* label = static_cast<PanelLabel*>(widget());
        const auto add = [&](PanelLabel* other, QAccessible::Relation relation) {
            if (!other || !(match & relation))
                return;
            if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(other))
                result.append({iface, relation});
        };
        // Each pair names what the other object is to this one: the title is this value's label.
        add(label->title(), QAccessible::Label);
        add(label->valueLabel(), QAccessible::Labelled);
        return result;
    }
};

// A link of the help page, a child of the page: named by its words, pressed to follow it, focused while
// the keyboard has it selected (Tab moves through the links).
class HelpLink : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    HelpLink(QTextBrowser* browser, int start, int end, const QString& href)
        : m_browser(browser)
        , m_start(start)
        , m_end(end)
        , m_href(href)
    {}

    bool isValid() const override { return m_browser; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_browser ? m_browser->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_browser); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Link; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override
    {
        if (!m_browser)
            return QString();
        if (t == QAccessible::Name)
            return plainText(m_browser->document()).mid(m_start, m_end - m_start);
        if (t == QAccessible::Value)
            return m_href;
        return QString();
    }

    QRect rect() const override
    {
        if (!m_browser)
            return QRect();
        QTextCursor from(m_browser->document());
        from.setPosition(m_start);
        QTextCursor to(m_browser->document());
        to.setPosition(m_end);
        const QRect local = m_browser->cursorRect(from).united(m_browser->cursorRect(to));
        return QRect(m_browser->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.focusable = true;
        state.linked = true;
        if (!m_browser || !m_browser->isVisible()) {
            state.invisible = true;
            return state;
        }
        const QTextCursor cursor = m_browser->textCursor();
        state.focused =
            m_browser->hasFocus() && cursor.selectionStart() == m_start && cursor.selectionEnd() == m_end;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && m_browser)
            QMetaObject::invokeMethod(
                m_browser.data(),
                [browser = m_browser, href = m_href] {
                    if (browser)
                        browser->setSource(browser->source().resolved(QUrl(href)));
                },
                Qt::QueuedConnection);
    }

    int start() const { return m_start; }
    int end() const { return m_end; }

    // The document's characters one for one with its cursor positions: block and frame marks as line ends.
    static QString plainText(const QTextDocument* document)
    {
        QString text = document->toRawText();
        for (QChar& c : text)
            if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c.unicode() == 0xFDD0 ||
                c.unicode() == 0xFDD1 || c == QChar::Nbsp)
                c = c == QChar::Nbsp ? QChar(u' ') : QChar(u'\n');
        return text;
    }

private:
    QPointer<QTextBrowser> m_browser;
    int m_start;
    int m_end;
    QString m_href;
};

// The help page: a document whose text a screen reader reads at the caret, line by line, with each link
// as a child. Qt's own interface of a read-only text browser is a label that names no link.
class HelpPage : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit HelpPage(QTextBrowser* browser)
        : QAccessibleWidget(browser, QAccessible::Document)
    {}

    ~HelpPage() override { dropLinks(); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && !browser()->documentTitle().isEmpty())
            return browser()->documentTitle();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    int childCount() const override { return int(links().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const auto& all = links();
        return index >= 0 && index < int(all.size()) ? all[size_t(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto& all = links();
        const auto found = std::find(all.begin(), all.end(), child);
        return found == all.end() ? -1 : int(found - all.begin());
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    // The link the keyboard has selected, or null.
    HelpLink* selectedLink() const
    {
        const QTextCursor cursor = browser()->textCursor();
        for (HelpLink* link : links())
            if (link->start() == cursor.selectionStart() && link->end() == cursor.selectionEnd())
                return link;
        return nullptr;
    }

    // QAccessibleTextInterface
    void selection(int index, int* start, int* end) const override
    {
        const QTextCursor cursor = browser()->textCursor();
        *start = index == 0 && cursor.hasSelection() ? cursor.selectionStart() : 0;
        *end = index == 0 && cursor.hasSelection() ? cursor.selectionEnd() : 0;
    }
    int selectionCount() const override { return browser()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override
    {
        QTextCursor cursor = browser()->textCursor();
        cursor.clearSelection();
        browser()->setTextCursor(cursor);
    }
    void setSelection(int, int start, int end) override
    {
        QTextCursor cursor = browser()->textCursor();
        cursor.setPosition(clamped(start));
        cursor.setPosition(clamped(end), QTextCursor::KeepAnchor);
        browser()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return browser()->textCursor().position(); }
    void setCursorPosition(int position) override
    {
        QTextCursor cursor = browser()->textCursor();
        cursor.setPosition(clamped(position));
        browser()->setTextCursor(cursor);
    }
    QString text(int start, int end) const override
    {
        return HelpLink::plainText(browser()->document()).mid(start, end - start);
    }
    int characterCount() const override { return browser()->document()->characterCount() - 1; }
    QRect characterRect(int offset) const override
    {
        QTextCursor cursor(browser()->document());
        cursor.setPosition(clamped(offset));
        const QRect local = browser()->cursorRect(cursor);
        return QRect(browser()->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return browser()->cursorForPosition(browser()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int start, int end) override
    {
        setSelection(0, start, end);
        browser()->ensureCursorVisible();
    }
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = offset;
        *end = offset + 1;
        return QString();
    }

private:
    QTextBrowser* browser() const { return static_cast<QTextBrowser*>(widget()); }
    int clamped(int position) const { return qBound(0, position, characterCount()); }

    // The page's links, read afresh whenever the document changed (another page was opened).
    const std::vector<HelpLink*>& links() const
    {
        const QTextDocument* document = browser()->document();
        if (document != m_document || document->revision() != m_revision) {
            dropLinks();
            m_document = document;
            m_revision = document->revision();
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
                for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                    const QTextFragment part = fragment.fragment();
                    const QString href = part.charFormat().anchorHref();
                    if (href.isEmpty())
                        continue;
                    const int end = part.position() + part.length();
                    if (!m_links.empty() && m_links.back()->end() == part.position() &&
                        m_links.back()->text(QAccessible::Value) == href) {
                        const int start = m_links.back()->start();
                        dropLast();
                        m_links.push_back(new HelpLink(browser(), start, end, href));
                    } else {
                        m_links.push_back(new HelpLink(browser(), part.position(), end, href));
                    }
                }
        }
        return m_links;
    }
    void dropLast() const
    {
        delete m_links.back();
        m_links.pop_back();
    }
    // Links a screen reader has seen belong to Qt's register, which deletes them.
    void dropLinks() const
    {
        for (HelpLink* link : m_links) {
            if (const QAccessible::Id id = QAccessible::uniqueId(link))
                QAccessible::deleteAccessibleInterface(id);
        }
        m_links.clear();
    }

    mutable const QTextDocument* m_document = nullptr;
    mutable int m_revision = -1;
    mutable std::vector<HelpLink*> m_links;
};

// A frame of the window: a panel without the drop tool tip as its description.
class FramePanel : public QAccessibleWidget
{
public:
    explicit FramePanel(QWidget* frame)
        : QAccessibleWidget(frame, QAccessible::Pane)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }
};

// The main window and the help window, named by their titles.
class MainWindow : public QAccessibleWidget
{
public:
    explicit MainWindow(QWidget* window)
        : QAccessibleWidget(window, QAccessible::Window)
    {}
};

} // namespace

namespace AccessibleControls {

QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (auto* picture = qobject_cast<PictureBox*>(object))
        return new PictureButton(picture);
    if (auto* label = qobject_cast<PanelLabel*>(object))
        return new AccessiblePanelLabel(label);
    auto* widget = static_cast<QWidget*>(object);
    // Only the window's two frames; frames of the toolkit's own widgets keep their interfaces.
    if (qobject_cast<QFrame*>(object) && object->metaObject() == &QFrame::staticMetaObject &&
        object->property("tilgomaticPanel").toBool())
        return new FramePanel(widget);
    if (widget->isWindow() && (object->inherits("frmMain") || object->inherits("HelpWindow")))
        return new MainWindow(widget);
    if (auto* browser = qobject_cast<QTextBrowser*>(object);
        browser && object->property("tilgomaticHelp").toBool())
        return new HelpPage(browser);
    return nullptr;
}

bool linkReached(QTextBrowser* browser)
{
    auto* page = dynamic_cast<HelpPage*>(QAccessible::queryAccessibleInterface(browser));
    HelpLink* link = page ? page->selectedLink() : nullptr;
    if (link) {
        QAccessibleEvent focused(link, QAccessible::Focus);
        QAccessible::updateAccessibility(&focused);
    }
    return link;
}

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace AccessibleControls
