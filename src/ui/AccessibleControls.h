// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// What a screen reader learns of the window's own controls: the pictures are push buttons with a press
// action and their shortcut, the panel's labels are text named by what they show and related to their
// titles, the frames are panels and the window is a window. None of them passes its drop tool tip off as
// a description.
namespace AccessibleControls {

// The factory to hand to QAccessible::installFactory; null for every object that is not ours.
QAccessibleInterface* factory(const QString& className, QObject* object);

// Installs the factory once.
void install();

} // namespace AccessibleControls
