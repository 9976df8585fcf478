#pragma once

#include "platform/gui/TreeBrowseDialog.h"

// The browse dialog as users know it: the desktop's own file chooser (GTK's or KDE's where Qt has a
// platform theme or portal for it, Qt's own otherwise), with its places, path field and hidden-files
// switch. It confirms only existing items and opens a folder on Enter. The chooser cannot keep the user
// inside a root nor show a status line; requests with either go to the tree of TreeBrowseDialog.
class FileChooserDialog : public BrowseDialog
{
public:
    // native false always shows Qt's own chooser, which tests can drive offscreen.
    explicit FileChooserDialog(bool native = true)
        : m_native(native)
    {}

    // Shows the chooser modally over the request's owner, titled with the request's title and opened
    // on its start folder (a start file is selected in its folder). Returns the chosen path, or "" on
    // cancel or when the owner went away while the chooser was open.
    QString exec(const Request& request) override;

private:
    bool m_native;
    TreeBrowseDialog m_tree;
};
