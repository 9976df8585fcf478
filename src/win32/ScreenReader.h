// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

// What the window tells screen readers beyond what its controls say themselves.
namespace ScreenReader {

// Whether a screen reader is running (the system's flag, which readers set).
bool listening();
// Makes control a polite live region: a reader reads its new text once, after what it is saying now.
// Needs COM on the calling thread; without it the control stays as it is.
void makeLiveRegion(HWND control);
// Tells readers that the live region control has new text.
void announce(HWND control);

} // namespace ScreenReader
