// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// What the window shows of a running delete command: the progress line in place of the question, the
// window title with the share done, and the share for screen readers.
struct ProgressState
{
    std::string message;
    std::string title;
    int percent = 0;
};
