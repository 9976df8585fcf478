// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;

// The help's pages in a window of the program's own: the contents page, back and forward, and the links
// between the pages. It needs no viewer of the desktop's and opens at once.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    // Shows startPage; an empty one says that the help's pages are not installed, naming expectedPage.
    HelpWindow(const QString& startPage, const QString& expectedPage, QWidget* parent = nullptr);

    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
    QPushButton* m_contents = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_forward = nullptr;
};
