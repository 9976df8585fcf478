// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// One control of the main window as stored: what it is, where it lies (in twips), what it says.
struct ControlLayout
{
    enum class Kind { Button, Frame, CheckBox, Picture, Label, Choice, Progress };
    // What a file dragged over the control meets: it becomes the target, it is refused, or the control
    // leaves the drag to what lies behind it.
    enum class Drops { Pass, Take, Refuse };

    std::string_view name;
    Kind kind;
    // Inside Frame1 (positions relative to its outer corner) rather than on the window.
    bool inPanel;
    int left;
    int top;
    int width;
    int height;
    // Drawn this much higher than top, as a separate whole number of pixels (the choice over the name).
    int raise = 0;
    std::string_view caption = {};
    std::string_view toolTip = {};
    std::string_view accessibleName = {};
    std::string_view accessibleDescription = {};
    // The picture's file among the program's icons.
    std::string_view picture = {};
    // The key that acts on the control from anywhere in the window ("Ctrl+O"); empty for none.
    std::string_view shortcut = {};
    // Place in the tab order, from 0; -1 for a control the tab key passes by.
    int tabIndex = -1;
    Drops drops = Drops::Pass;
    // The title label a value label belongs to (screen readers read it as its label).
    std::string_view title = {};
    bool hidden = false;
    // A label that tells a run's outcome as it appears, centred.
    bool notice = false;
    // Painted in the window's colour scheme (its background), like the window itself.
    bool schemed = false;
    // The text's colour as 0xRRGGBB; the toolkit's own when empty.
    std::optional<std::uint32_t> textColor = {};
    // Lies in front of the controls created before it (every other control goes behind them).
    bool inFront = false;
};
