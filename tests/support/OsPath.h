// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NativeText.h"

#include <filesystem>
#include <string>
#include <string_view>

// A test's path written the Linux way ("/a/b"), as this platform writes it: on Windows "C:\a\b". The
// tables of path cases thus hold on both.
inline std::string osText(std::string_view linuxStyle)
{
    if constexpr (!NativeText::WindowsPaths)
        return std::string(linuxStyle);
    // A "/" that starts a path (at the start, after a blank, a tab or a quote) is the root "C:\".
    std::string text;
    for (std::size_t i = 0; i < linuxStyle.size(); ++i) {
        const bool starts =
            i == 0 || linuxStyle[i - 1] == ' ' || linuxStyle[i - 1] == '\t' || linuxStyle[i - 1] == '"';
        if (linuxStyle[i] == '/')
            text += starts ? "C:\\" : "\\";
        else
            text += linuxStyle[i];
    }
    return text;
}

inline std::filesystem::path osPath(std::string_view linuxStyle)
{
    return NativeText::path(osText(linuxStyle));
}
