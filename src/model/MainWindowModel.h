// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/PanelState.h"

#include <cstddef>
#include <filesystem>
#include <memory>

class FileSystem;
class TextMeasure;
struct FileIdentity;

// Every decision of the main window, free of any toolkit: what the panel shows for a target, and what the
// delete command makes of a run. A window (the Qt one, or another) builds its controls from WindowLayout,
// hands its events here and draws what comes back.
//
// The target is a std::filesystem::path holding the path's exact bytes: a name that is no UTF-8 stays the
// file it names, which a UTF-8 std::string could not promise.
class MainWindowModel
{
public:
    // Where the look-alikes of a command-line target stand: looked for (pending) until the choice is made.
    struct LookAlikes
    {
        bool pending = false;  // the target's name may stand for another file
        std::size_t count = 0; // files found to choose among; none while the scan runs
        bool chosen = false;   // one of them is chosen
    };

    MainWindowModel(FileSystem& fileSystem, double twipsPerPixel);
    ~MainWindowModel();
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    // Pixels for a figure in twips, rounded half away from zero.
    int twipsToPixels(int twips) const;

    // RefreshTarget's decisions: describes target afresh (and takes its identity first, so that a file
    // swapped in meanwhile is never the one destroyed). nameMeasure measures the name's label.
    const PanelState& refresh(const std::filesystem::path& target, const LookAlikes& lookAlikes,
                              const TextMeasure& nameMeasure);
    const PanelState& panel() const { return m_panel; }

    // What the last refresh found.
    const FileIdentity& targetIdentity() const { return *m_identity; }
    bool describable() const { return m_describable; }
    bool folderTarget() const { return m_folderTarget; }
    bool readOnlyTarget() const { return m_readOnlyTarget; }

private:
    FileSystem& m_fileSystem;
    const double m_twipsPerPixel;
    PanelState m_panel;
    std::unique_ptr<FileIdentity> m_identity;
    bool m_describable = true;
    bool m_folderTarget = false;
    bool m_readOnlyTarget = false;
};
