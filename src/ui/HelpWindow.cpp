// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/HelpWindow.h"

#include "ui/AccessibleControls.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The page's text browser, which tells screen readers of each link that Tab or Shift+Tab reaches: the
// browser selects it without a signal of its own.
class HelpBrowser : public QTextBrowser
{
public:
    explicit HelpBrowser(QWidget* parent)
        : QTextBrowser(parent)
    {
        // Before anything asks for its accessible interface, which is made once.
        setProperty("tilgomaticHelp", true);
        // Off a link again with the arrow keys: the page itself has the focus back, and its caret is read.
        connect(this, &QTextEdit::cursorPositionChanged, this, [this] {
            if (!m_onLink || textCursor().hasSelection())
                return;
            m_onLink = false;
            QAccessibleEvent focused(this, QAccessible::Focus);
            QAccessible::updateAccessibility(&focused);
        });
    }

protected:
    bool focusNextPrevChild(bool next) override
    {
        const bool moved = QTextBrowser::focusNextPrevChild(next);
        if (moved && hasFocus())
            m_onLink = AccessibleControls::linkReached(this);
        return moved;
    }

private:
    bool m_onLink = false;
};

} // namespace

HelpWindow::HelpWindow(const QString& startPage, const QString& expectedPage, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tilgomatic – Hilfe"));
    // Pages are read at length: larger than the main window's small dialog font.
    QFont readable = font();
    readable.setPointSizeF(9.5);
    setFont(readable);

    m_contents = new QPushButton(QStringLiteral("&Inhalt"), this);
    m_back = new QPushButton(QStringLiteral("&Zurück"), this);
    m_forward = new QPushButton(QStringLiteral("&Vor"), this);
    auto* close = new QPushButton(QStringLiteral("&Schliessen"), this);
    // Keys of their own beside the underlined letters: a button's setShortcut would replace its Alt+Z.
    const auto addKey = [this](const QKeySequence& key, QPushButton* button) {
        connect(new QShortcut(key, this), &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    addKey(QKeySequence::Back, m_back);
    addKey(QKeySequence::Forward, m_forward);
    addKey(QKeySequence(Qt::Key_Escape), close);

    m_browser = new HelpBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setAccessibleName(QStringLiteral("Hilfetext"));
    // Read by screen readers as a document with its links (AccessibleControls); the arrow keys move a
    // caret through the text, so that it can be read line by line, and Tab moves through the links.
    m_browser->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    // Links to other sites open nowhere: the help works without a browser.
    m_browser->setOpenExternalLinks(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_contents, m_back, m_forward})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(m_contents, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    if (startPage.isEmpty()) {
        m_contents->setEnabled(false);
        m_browser->setPlainText(
            QStringLiteral("Die Hilfe ist nicht installiert: %1 fehlt.").arg(expectedPage));
    } else {
        m_browser->setSource(QUrl::fromLocalFile(startPage));
    }
    resize(fontMetrics().averageCharWidth() * 90, fontMetrics().height() * 36);
    m_browser->setFocus();
}
