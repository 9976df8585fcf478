// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

// The platform's modal browse dialog, from which the user confirms one file-system item.
class BrowseDialog
{
public:
    // The view's window the dialog is modal to, as the platform knows it (a QWidget*, a HWND).
    using Owner = void*;

    struct Request
    {
        Owner owner = nullptr;
        std::string title;              // shown above the items (UTF-8)
        std::filesystem::path rootPath; // only items at or below it can be confirmed; empty: the whole system
        std::filesystem::path startPath; // shown when the dialog opens; empty or unknown shows the default
        bool includeFiles = false;
    };

    virtual ~BrowseDialog() = default;

    // Shows the dialog modally and returns the confirmed item's path, or the empty path on cancel.
    virtual std::filesystem::path exec(const Request& request) = 0;
};
