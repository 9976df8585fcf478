// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ProgressLine.h"

#include <QStringBuilder>
#include <cmath>

namespace {
const QString Dash = QStringLiteral(" – ");
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
    return QStringLiteral("Wird überschrieben: Durchgang %1 von %2")
               .arg(currentSweep())
               .arg(qMax(m_last.sweeps, 1)) %
           Dash % shareAndTime();
}

QString ProgressLine::waitText(const QString& runningFileName) const
{
    return QStringLiteral("Bitte warten: Erst wird „%1“ fertig überschrieben").arg(runningFileName) % Dash %
           shareAndTime();
}

QString ProgressLine::textNaming(const QString& runningFileName) const
{
    return QStringLiteral("„%1“ wird überschrieben: Durchgang %2 von %3")
               .arg(runningFileName)
               .arg(currentSweep())
               .arg(qMax(m_last.sweeps, 1)) %
           Dash % shareAndTime();
}

QString ProgressLine::closingText() const
{
    return QStringLiteral("Tilgomatic schliesst, sobald die Datei überschrieben ist") % Dash % shareAndTime();
}

QString ProgressLine::titleWith(const QString& title) const
{
    return QStringLiteral("%1 %").arg(percent()) % Dash % title;
}

QString ProgressLine::shareAndTime() const
{
    const QString share = QStringLiteral("%1 %").arg(percent());
    const std::optional<qint64> seconds = remainingSeconds();
    return seconds ? share % Dash % remainingText(*seconds) : share;
}

// Rough on purpose: seconds in steps of five under a minute, whole minutes under two hours, then hours.
QString ProgressLine::remainingText(qint64 seconds)
{
    if (seconds <= 5)
        return QStringLiteral("noch wenige Sekunden");
    if (seconds < 60)
        return QStringLiteral("noch etwa %1 Sekunden").arg(qMin<qint64>((seconds + 4) / 5 * 5, 55));
    const qint64 minutes = qint64(std::llround(double(seconds) / 60));
    if (minutes == 1)
        return QStringLiteral("noch etwa 1 Minute");
    if (minutes < 120)
        return QStringLiteral("noch etwa %1 Minuten").arg(minutes);
    return QStringLiteral("noch etwa %1 Stunden").arg(qint64(std::llround(double(seconds) / 3600)));
}
