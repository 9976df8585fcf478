// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The resources compiled into tilgomatic.exe (tilgomatic.rc), shared by the resource script and the window.
// Plain defines: the resource compiler reads this file too.

// The skull: the first icon, so Explorer shows it for the executable; the window's big and small icon.
#define IDI_SKULL 1
// The window's pictures, named in the layout by their image files "help-16.png" and "browse-16.png".
#define IDI_HELP 2
#define IDI_BROWSE 3
