// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TextMeasure.h"
#include "platform/NumberFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What the main window's presenter asks of a window: to set its controls, named as in WindowLayout, and to
// do what only a toolkit can (timers, dialogs, screen readers). A view decides nothing; it draws what it is
// told and hands its events to the presenter. Texts are UTF-8.
class MainWindowView
{
public:
    // One entry of a choice: as shown, and whole for the mouse pointer and screen readers.
    struct Choice
    {
        std::string shown;
        std::string whole;
    };

    virtual ~MainWindowView() = default;

    // False once the window is closed (it may close while a dialog of its own is open).
    virtual bool isOpen() const = 0;
    virtual void setTitle(const std::string& text) = 0;
    virtual void setControlText(std::string_view control, const std::string& text) = 0;
    // What screen readers read for the control in place of its text (a shortened name's whole).
    virtual void setSpokenText(std::string_view control, const std::string& text) = 0;
    virtual void setControlToolTip(std::string_view control, const std::string& text) = 0;
    virtual void setControlVisible(std::string_view control, bool visible) = 0;
    virtual void setControlEnabled(std::string_view control, bool enabled) = 0;
    // A check box's state, set without it counting as the user's click.
    virtual void setChecked(std::string_view control, bool checked) = 0;
    virtual bool isChecked(std::string_view control) const = 0;
    // The choice's entries, the first one selected.
    virtual void setChoices(std::string_view control, const std::vector<Choice>& entries) = 0;
    // The progress bar's share done, from 0 to 100.
    virtual void setProgress(int percent) = 0;
    // Paints the window and its schemed controls in a stored colour number; a system colour the toolkit
    // does not know leaves the colours as they are.
    virtual void setBackColor(std::int32_t colorNumber) = 0;
    // How the control draws text, and how the user's locale writes numbers now.
    virtual std::unique_ptr<TextMeasure> measure(std::string_view control) const = 0;
    virtual NumberFormat numberFormat() const = 0;

    // The focus: to the control (when the window is active and the control shown), where it is (the
    // control's name, empty for none of the layout's), or nowhere.
    virtual void focusControl(std::string_view control) = 0;
    virtual std::string focusedControl() const = 0;
    virtual void dropFocus() = 0;
    // Whether a screen reader is listening, and having it read the control's text once, now.
    virtual bool screenReaderListening() const = 0;
    virtual void announce(std::string_view control) = 0;

    // The progress timer: fires every ms milliseconds from now until stopped (progressTimer).
    virtual void startProgressTimer(int ms) = 0;
    virtual void stopProgressTimer() = 0;
    // A run's end as its worker thread reports it: the function returned is called on that thread, and
    // hands the end on to the window's, where the view calls runFinished. awaitRun follows the run's start:
    // a view that waits for the run there returns once runFinished is done (or the window is gone).
    virtual std::function<void()> runEndNotice() = 0;
    virtual void awaitRun() = 0;

    // The look-alikes of path are looked for off the window's thread (lookAlikesFound); false where names
    // cannot stand for others. A new target stops the search.
    virtual bool startLookAlikeScan(const std::filesystem::path& path) = 0;
    virtual void stopLookAlikeScan() = 0;

    // The window as the browse dialog's owner.
    virtual void* dialogOwner() = 0;
    virtual void openHelp() = 0;
    // Asks the window to close; it asks the presenter (closeRequested) whether it may.
    virtual void closeWindow() = 0;
};
