// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// What the window does once a delete command's run has ended, before it describes the target afresh.
struct RunEnd
{
    // The file's name is gone: the target is cleared.
    bool clearTarget = false;
    // The window closes now (the run's outcome can be vouched for and a close was wanted).
    bool close = false;
    // The outcome for the invitation label (lblEmpty), put in place before the label appears, so that a
    // screen reader reads it, not the invitation it replaces; nullopt when the label keeps its text.
    std::optional<std::string> notice;
};
