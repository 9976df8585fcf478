// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UiDoubles.h"
#include "platform/linux/LinuxFileSystem.h"
#include "ui/frmMain.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

// What became of a drag that entered a widget and was dropped there.
struct DropOutcome
{
    bool enterAccepted = false;
    Qt::DropAction enterAction = Qt::IgnoreAction;
    bool dropSent = false; // the enter was accepted, so the drop followed as a platform sends it
    bool dropAccepted = false;
};

// A real main window over real files in a temporary folder, with doubles for the settings, the registry,
// the desktop and the browse dialog. The window is made by open(), which runs the start-up as main() does.
class WindowFixture : public ::testing::Test
{
protected:
    WindowFixture();
    ~WindowFixture() override;

    // Creates the window with these command-line arguments, runs Form_Initialize and Form_Load, shows it.
    frmMain& open(const QStringList& arguments = {});

    // A file of size bytes (all 'x') under the temporary folder; relative names may hold folders.
    QString makeFile(const QString& name, qint64 size = 10);
    QString path(const QString& name) const;

    // Sends a drag carrying data into widget at pos (its centre by default) and, when the widget takes it,
    // the drop, as the platform would.
    static DropOutcome dragAndDrop(QWidget* widget, const QMimeData& data, std::optional<QPoint> pos = {});
    static std::unique_ptr<QMimeData> filesData(const QStringList& paths);

    // Loads path as the target by dropping it on the window.
    void load(const QString& path);
    // open(), then makeFile(name, size) loaded as the target; returns the file's path.
    QString openWithFile(const QString& name, qint64 size = 10);

    // Runs fn on the window's thread and waits for it; the engine's hooks run on the delete command's worker
    // thread, where the window must not be touched. Everything posted to the window before is handled first.
    void onUiThread(const std::function<void()>& fn);

    static void sendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static void click(QWidget* widget);

    QTemporaryDir files;
    QTemporaryDir programFolder;
    LinuxFileSystem linuxFileSystem;
    HookedFileSystem fileSystem{linuxFileSystem};
    MemorySettingsStore settings;
    MemoryRegistry registry;
    ScriptedBrowseDialog browseDialog;
    ProgramInfo program;
    bool rootForOtherUser = false;
    RecordingShellEntries shellEntries; // handed in unless rootForOtherUser, as main() does
    std::unique_ptr<frmMain> window;
};
