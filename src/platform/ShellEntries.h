#pragma once

#include <QStringList>

// The context-menu entries that the desktop's file managers show for the verbs registered under
// "*\shell". They are derived from the registry and never change it.
class ShellEntries
{
public:
    virtual ~ShellEntries() = default;

    // Brings the entries in line with the verbs registered now, and keeps them so while the program runs
    // (a file manager that appears or rewrites its own file).
    virtual void bringInLine() = 0;
    // The file managers of this user that are running now and show a change of the entries only after
    // they restart, by their display names.
    virtual QStringList runningWithDelayedUpdate() const = 0;
};
