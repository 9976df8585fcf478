// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ProgressLine.h"

#include <QStringBuilder>
#include <cmath>

namespace {
// The dash stays with the words before it and each number with its unit, so that a line break never
// strands "%" or "Sekunden" at the start of a line.
const QString Dash = QStringLiteral("\u00A0– ");
constexpr char16_t NoBreak = u'\u00A0';

// "14 %": the number and its unit joined by a no-break space.
QString withUnit(qint64 number, const QString& unit)
{
    return QString::number(number) % NoBreak % unit;
}

const QString Percent = QStringLiteral("%");
} // namespace

ProgressLine::Sample ProgressLine::sampleOf(const modShredder::ShredProgress& progress, qint64 elapsedMs)
{
    Sample sample;
    sample.sweeps = progress.sweeps.load(std::memory_order_relaxed);
    sample.sweepsSynced = progress.sweepsSynced.load(std::memory_order_relaxed);
    sample.elapsedMs = elapsedMs;
    return sample;
}

// The estimate is made afresh whenever another sweep has been synced: the rate of the synced bytes so far
// gives the time for the rest. Between syncs it counts down with the clock, so that a slow device's long
// sync does not freeze the line.
void ProgressLine::update(const Sample& sample)
{
    m_last = sample;
    if (sample.sweeps <= 0 || sample.sweepsSynced <= 0 || sample.sweepsSynced == m_syncedAtEstimate)
        return;
    m_syncedAtEstimate = sample.sweepsSynced;
    m_estimateMadeMs = sample.elapsedMs;
    const int left = qMax(0, sample.sweeps - sample.sweepsSynced);
    // Sweeps all have the same length, so the synced sweeps stand for the synced bytes.
    m_remainingAtEstimateMs = qint64(double(sample.elapsedMs) * left / sample.sweepsSynced);
}

int ProgressLine::percent() const
{
    if (m_last.sweeps <= 0)
        return 0;
    return int(qint64(qMin(m_last.sweepsSynced, m_last.sweeps)) * 100 / m_last.sweeps);
}

int ProgressLine::currentSweep() const
{
    if (m_last.sweeps <= 0)
        return 1;
    return qMin(m_last.sweepsSynced + 1, m_last.sweeps);
}

std::optional<qint64> ProgressLine::remainingSeconds() const
{
    if (!m_remainingAtEstimateMs)
        return std::nullopt;
    const qint64 leftMs = qMax<qint64>(0, *m_remainingAtEstimateMs - (m_last.elapsedMs - m_estimateMadeMs));
    return (leftMs + 999) / 1000;
}

QString ProgressLine::text() const
{
    return QStringLiteral("Wird überschrieben: ") % sweepText() % Dash % shareAndTime();
}

QString ProgressLine::waitText(const QString& runningFileName) const
{
    // Joined, not filled in with arg(): a name holding "%1" or "%2" stays as it is.
    return QStringLiteral("Bitte warten: Erst wird „") % runningFileName %
           QStringLiteral("“ fertig überschrieben") % Dash % shareAndTime();
}

QString ProgressLine::textNaming(const QString& runningFileName) const
{
    return QStringLiteral("„") % runningFileName % QStringLiteral("“ wird überschrieben: ") % sweepText() %
           Dash % shareAndTime();
}

QString ProgressLine::closingText() const
{
    return QStringLiteral("Tilgomatic schliesst, sobald die Datei überschrieben ist") % Dash % shareAndTime();
}

QString ProgressLine::titleWith(const QString& title) const
{
    return withUnit(percent(), Percent) % Dash % title;
}

QString ProgressLine::sweepText() const
{
    return QStringLiteral("Durchgang ") % QString::number(currentSweep()) % QStringLiteral(" von ") %
           QString::number(qMax(m_last.sweeps, 1));
}

QString ProgressLine::shareAndTime() const
{
    const QString share = withUnit(percent(), Percent);
    const std::optional<qint64> seconds = remainingSeconds();
    return seconds ? share % Dash % remainingText(*seconds) : share;
}

// Rough on purpose: seconds in steps of five under a minute, whole minutes under two hours, then hours.
QString ProgressLine::remainingText(qint64 seconds)
{
    if (seconds <= 5)
        return QStringLiteral("noch wenige Sekunden");
    if (seconds < 60)
        return QStringLiteral("noch etwa ") %
               withUnit(qMin<qint64>((seconds + 4) / 5 * 5, 55), QStringLiteral("Sekunden"));
    const qint64 minutes = qint64(std::llround(double(seconds) / 60));
    if (minutes == 1)
        return QStringLiteral("noch etwa ") % withUnit(1, QStringLiteral("Minute"));
    if (minutes < 120)
        return QStringLiteral("noch etwa ") % withUnit(minutes, QStringLiteral("Minuten"));
    return QStringLiteral("noch etwa ") %
           withUnit(std::llround(double(seconds) / 3600), QStringLiteral("Stunden"));
}
