// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/gui/BrowseDialog.h"

class FileSystem;

// The browse dialog as users know it: the desktop's own file chooser (GTK's or KDE's where Qt has a
// platform theme or portal for it, Qt's own otherwise), with its places, path field and hidden-files
// switch. It confirms only existing items and opens a folder on Enter. It shows no status line, and
// cannot keep the user inside a root: an item confirmed outside the root counts as a cancel.
class FileChooserDialog : public BrowseDialog
{
public:
    // fileSystem answers whether a chosen name exists. native false always shows Qt's own chooser,
    // which tests can drive offscreen.
    explicit FileChooserDialog(FileSystem& fileSystem, bool native = true)
        : m_fileSystem(fileSystem)
        , m_native(native)
    {}

    // Shows the chooser modally over the request's owner, titled with the request's title and opened
    // on its start folder (a start file is selected in its folder). Returns the chosen path, or "" on
    // cancel or when the owner went away while the chooser was open. The owner is a QWidget*.
    std::filesystem::path exec(const Request& request) override;

private:
    FileSystem& m_fileSystem;
    bool m_native;
};
