// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/ControlLayout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The main window as stored: its controls in creation order (an earlier control of a container lies in
// front of a later one), its size, its colours and the texts that belong to no single control.
namespace WindowLayout {

// The window's client area in twips.
inline constexpr int ClientWidth = 4890;
inline constexpr int ClientHeight = 3390;
// The folder label's width: the panel shortens the folder to it.
inline constexpr int FilePathWidth = 4575;
// The gap the size text keeps from the help picture, which stands inside the size label's width.
inline constexpr int SizeGap = 60;
// The arrow and the frame of the look-alike choice, which its entries leave room for.
inline constexpr int ChoiceChrome = 450;

// Twips per pixel on a screen of dpi dots per inch (1440 twips to the inch); 15, as at 96, where the screen
// tells none.
inline constexpr double twipsPerPixelAt(double dpi)
{
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

std::span<const ControlLayout> controls();
// The row of name; every name of the window has one.
const ControlLayout& control(std::string_view name);
// The names of the controls in the tab order.
std::span<const std::string_view> tabOrder();
// The control a key acts on from anywhere in the window, the key written as the layout writes shortcuts
// ("Ctrl+O", "F1", "Alt+D"): the control whose shortcut it is, or with Alt alone the one whose caption marks
// the letter with "&". Null for none.
const ControlLayout* keyTarget(std::string_view key);

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t WindowColor = 0xFFFFFF;  // the window, the frames and the check boxes
inline constexpr std::uint32_t MessageColor = 0xFF0000; // the question and what replaces it

// The colour schemes the keys on "&Beenden" store, as colour numbers in the options.
inline constexpr std::string_view SystemFaceScheme = "&H8000000F"; // F12
inline constexpr std::string_view WhiteScheme = "&H00FFFFFF";      // F11

inline constexpr std::string_view FirstTitle = "Tilgomatic";
inline constexpr std::string_view Question =
    "Möchten Sie diese Datei unwiderruflich schreddern und löschen, damit "
    "sie nie wieder hergestellt werden kann?";
inline constexpr std::string_view BrowseTitle = "Datei zum löschen suchen";
inline constexpr std::string_view RootForOtherUserToolTip =
    "Tilgomatic läuft mit den Rechten von root für einen anderen Benutzer. Die Explorererweiterung würde bei "
    "root eingetragen, wo Ihr Dateimanager sie nie findet; starten Sie Tilgomatic ohne sudo, um sie ein- "
    "oder auszuschalten.";
// The first entry of the look-alike choice: the name as given.
inline constexpr std::string_view ChoicePrompt = "Bitte wählen Sie die gemeinte Datei";

} // namespace WindowLayout
