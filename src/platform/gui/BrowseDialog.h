#pragma once

#include <QFont>
#include <QString>
#include <functional>

class QWidget;

// The platform's modal browse dialog: a tree of folders (and optionally files) from which the user
// confirms one file-system item.
class BrowseDialog
{
public:
    struct Request
    {
        QWidget* owner = nullptr;
        QString title;     // shown above the tree
        QString rootPath;  // top of the tree; empty means the whole file system ("/")
        QString startPath; // selected when the dialog opens; empty or unknown selects nothing
        bool statusLine = false;
        bool newStyle = false;
        bool includeFiles = false;
        unsigned flags = 0; // the flag word the request was built with
        // Called at every change of the selection with the selected path (empty when the selection has
        // no file-system path) and the status line's width in pixels; returns the status line's text.
        std::function<QString(const QString& selectedPath, int statusLineWidth)> statusText;
        // The font the status text was measured in; the dialog draws its status line in it.
        QFont statusFont;
    };

    virtual ~BrowseDialog() = default;

    // Shows the dialog modally and returns the confirmed item's path, or the empty string on cancel.
    virtual QString exec(const Request& request) = 0;
};
