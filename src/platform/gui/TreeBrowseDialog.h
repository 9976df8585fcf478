#pragma once

#include "platform/gui/BrowseDialog.h"

// The browse dialog on Linux: a modal TreeBrowseWindow over the request's owner.
class TreeBrowseDialog : public BrowseDialog
{
public:
    // Shows the window modally. Returns the confirmed item's path, or "" when the user cancelled or
    // the owner went away while the window was open.
    QString exec(const Request& request) override;
};
