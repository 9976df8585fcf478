// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The platform's modal browse dialog, from which the user confirms one file-system item.
class BrowseDialog
{
public:
    struct Request
    {
        QWidget* owner = nullptr;
        QString title;     // shown above the items
        QString rootPath;  // only items at or below it can be confirmed; empty means the whole file system
        QString startPath; // shown when the dialog opens; empty or unknown shows the dialog's default
        bool statusLine = false; // asked for a line naming the selection; the desktop's chooser has none
        bool newStyle = false;
        bool includeFiles = false;
    };

    virtual ~BrowseDialog() = default;

    // Shows the dialog modally and returns the confirmed item's path, or the empty string on cancel.
    virtual QString exec(const Request& request) = 0;
};
