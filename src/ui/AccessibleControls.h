// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAccessibleInterface;
class QObject;
class QString;
class QTextBrowser;

// What a screen reader learns of the window's own controls: the pictures are push buttons with a press
// action and their shortcut, the panel's labels are text named by what they show and related to their
// titles, the frames are panels, the help page is a document with its links as children and the windows
// are windows. None of them passes its drop tool tip off as
// a description.
namespace AccessibleControls {

// The factory to hand to QAccessible::installFactory; null for every object that is not ours.
QAccessibleInterface* factory(const QString& className, QObject* object);

// Tells screen readers that the keyboard has reached the selected link of a help page (a text browser
// with the property "tilgomaticHelp"); false, and nothing told, when no link is selected.
bool linkReached(QTextBrowser* browser);

// Installs the factory once.
void install();

} // namespace AccessibleControls
