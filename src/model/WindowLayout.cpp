// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/WindowLayout.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace WindowLayout {

namespace {

using Kind = ControlLayout::Kind;
using Drops = ControlLayout::Drops;

constexpr std::string_view DropToolTip = "Ziehen Sie eine Datei in dieses Fenster";

ControlLayout button(std::string_view name, std::string_view caption, int left, int tabIndex)
{
    return {.name = name,
            .kind = Kind::Button,
            .inPanel = false,
            .left = left,
            .top = 2850,
            .width = 2235,
            .height = 345,
            .caption = caption,
            .tabIndex = tabIndex,
            .drops = Drops::Refuse};
}

ControlLayout frame(std::string_view name, int top, int height, Drops drops)
{
    return {.name = name,
            .kind = Kind::Frame,
            .inPanel = false,
            .left = 30,
            .top = top,
            .width = 4815,
            .height = height,
            .toolTip = DropToolTip,
            .drops = drops,
            .schemed = true};
}

ControlLayout checkBox(std::string_view name, std::string_view caption, std::string_view description,
                       int left, int tabIndex)
{
    return {.name = name,
            .kind = Kind::CheckBox,
            .inPanel = true,
            .left = left,
            .top = 2250,
            .width = 2235,
            .height = 225,
            .caption = caption,
            .toolTip = DropToolTip,
            .accessibleDescription = description,
            .tabIndex = tabIndex,
            .drops = Drops::Take,
            .schemed = true};
}

ControlLayout picture(std::string_view name, std::string_view file, std::string_view toolTip,
                      std::string_view shortcut, int left, int top)
{
    return {.name = name,
            .kind = Kind::Picture,
            .inPanel = true,
            .left = left,
            .top = top,
            .width = 240,
            .height = 240,
            .toolTip = toolTip,
            .picture = file,
            .shortcut = shortcut,
            .drops = Drops::Refuse};
}

ControlLayout label(std::string_view name, std::string_view caption, int left, int top, int width, int height,
                    std::string_view title = {})
{
    return {.name = name,
            .kind = Kind::Label,
            .inPanel = true,
            .left = left,
            .top = top,
            .width = width,
            .height = height,
            .caption = caption,
            .toolTip = DropToolTip,
            .drops = Drops::Take,
            .title = title};
}

ControlLayout emptyNotice()
{
    ControlLayout row =
        label("lblEmpty",
              "Ziehen Sie die Datei die ermordet werden soll in dieses Fenster oder suchen Sie "
              "die Datei mit einem Klick auf den Ordner oben rechts.",
              1020, 600, 2805, 1335);
    // It has no tool tip of its own and shows none of the frame's behind it.
    row.toolTip = {};
    row.hidden = true;
    row.notice = true;
    return row;
}

ControlLayout message()
{
    ControlLayout row = label("lblMsg", Question, 120, 1740, 4575, 525);
    row.textColor = MessageColor;
    return row;
}

const std::array<ControlLayout, 19> Controls = {
    button("cmdDelete", "&Datei löschen", 2460, 4),
    button("cmdCancel", "&Beenden", 180, 3),
    frame("Frame1", 0, 2625, Drops::Take),
    checkBox("chkQuit", "Nach Löschen schliessen",
             "Tilgomatic schliesst nach dem Löschen nur, wenn die Datei nachweislich vernichtet ist; jede "
             "andere Meldung bleibt im Fenster stehen.",
             2430, 2),
    checkBox("chkExplorer", "Explorererweiterung",
             "Trägt Tilgomatic in das Rechtsklickmenü Ihrer Dateimanager ein.", 120, 1),
    picture("Image2", "help-16.png", "Hilfe", "F1", 4050, 180),
    emptyNotice(),
    picture("Image1", "browse-16.png", "Datei laden", "Ctrl+O", 4440, 150),
    message(),
    label("lblFileAttribute", "", 120, 1470, 4575, 225, "lblFileAttributeTitle"),
    label("lblFileAttributeTitle", "Dateiattribute", 120, 1260, 4575, 225),
    label("lblFilePath", "", 120, 960, FilePathWidth, 225, "lblFilePathTitle"),
    label("lblFilePathTitle", "Speicherort", 120, 750, 4575, 225),
    label("lblFileName", "", 120, 450, 4605, 225, "lblFileNameTitle"),
    label("lblFileNameTitle", "Dateiname", 120, 240, 1575, 225),
    label("lblFileSize", "Dateigrösse", 1710, 240, 2685, 225),
    // In place of lblFileName while a command-line name may stand for several files. It has no label of
    // its own to carry an access key: the question names the key.
    {.name = "cboLookAlike",
     .kind = Kind::Choice,
     .inPanel = true,
     .left = 120,
     .top = 450,
     .width = 4605,
     .height = 300,
     .raise = 15,
     .accessibleName = "Gemeinte Datei",
     .accessibleDescription =
         "Dateien, für die der übergebene Name stehen kann, mit Grösse und Änderungszeit.",
     .shortcut = "Alt+W",
     .tabIndex = 0,
     .hidden = true,
     .inFront = true},
    // The running delete command's share done, for screen readers: behind the question, which covers it,
    // and shown only while a run lasts.
    {.name = "progressValue",
     .kind = Kind::Progress,
     .inPanel = true,
     .left = 120,
     .top = 1740,
     .width = 4575,
     .height = 525,
     .accessibleName = "Überschrieben",
     .hidden = true},
    frame("Frame2", 2610, 735, Drops::Refuse),
};

} // namespace

std::span<const ControlLayout> controls()
{
    return Controls;
}

const ControlLayout& control(std::string_view name)
{
    const auto* row = std::find_if(Controls.begin(), Controls.end(),
                                   [name](const ControlLayout& candidate) { return candidate.name == name; });
    if (row == Controls.end())
        throw std::out_of_range("no control " + std::string(name));
    return *row;
}

std::span<const std::string_view> tabOrder()
{
    static const std::vector<std::string_view> order = [] {
        std::vector<const ControlLayout*> rows;
        for (const ControlLayout& row : Controls)
            if (row.tabIndex >= 0)
                rows.push_back(&row);
        std::sort(rows.begin(), rows.end(),
                  [](const ControlLayout* a, const ControlLayout* b) { return a->tabIndex < b->tabIndex; });
        std::vector<std::string_view> names;
        names.reserve(rows.size());
        for (const ControlLayout* row : rows)
            names.push_back(row->name);
        return names;
    }();
    return order;
}

const ControlLayout* keyTarget(std::string_view key)
{
    for (const ControlLayout& row : Controls) {
        if (!row.shortcut.empty() && row.shortcut == key)
            return &row;
        // "&&" draws an ampersand and marks nothing.
        std::size_t mark = row.caption.find('&');
        while (mark != std::string_view::npos && mark + 1 < row.caption.size() &&
               row.caption[mark + 1] == '&')
            mark = row.caption.find('&', mark + 2);
        if (mark == std::string_view::npos || mark + 1 >= row.caption.size())
            continue;
        const char letter = row.caption[mark + 1];
        const char upper = letter >= 'a' && letter <= 'z' ? char(letter - 'a' + 'A') : letter;
        if (key.size() == 5 && key.starts_with("Alt+") && key[4] == upper)
            return &row;
    }
    return nullptr;
}

} // namespace WindowLayout
