// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the information panel shows for the current target, as the window's model worked it out. Texts
// are UTF-8. A field left empty (nullopt) leaves its label as it was.
struct PanelState
{
    std::string title;
    // No target: the invitation (lblEmpty) in place of every label of the panel.
    bool empty = true;
    // The name, shortened in the middle to its label; whole for screen readers.
    std::string fileName;
    std::string fileNameWhole;
    bool fileNameVisible = false;
    // The look-alike choice in place of the name.
    bool choiceVisible = false;
    // The folder the file lies in, whole. The view shortens it to the folder label (modCompactPath).
    std::string folder;
    std::optional<std::string> attributes;
    // The file's length, told in the unit that fits sizeRoomPixels (PanelText::sizeText), unless sizeText
    // says it could not be read.
    std::optional<std::int64_t> sizeBytes;
    std::optional<std::string> sizeText;
    int sizeRoomPixels = 0;
    // The red line below the description: the question, or what stands in its place.
    std::string message;
    bool deleteEnabled = false;
};
