// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in the terminal, a closed terminal) into a Qt signal
// on the thread that made the object, so that the program can end the way its close box ends it instead
// of being cut off in the middle of a run. One instance at a time; the destructor puts the previous
// handlers back.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the handlers could not be installed (the signals then keep their default action).
    bool isActive() const { return m_notifier != nullptr; }

signals:
    void requested(int signalNumber);

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous[3] = {};
};
