// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ProgressLine.h"

#include "platform/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace {
// The dash stays with the words before it and each number with its unit, so that a line break never
// strands "%" or "Sekunden" at the start of a line.
const std::string Dash = "\u00A0– ";

// "14 %": the number and its unit joined by a no-break space.
std::string withUnit(std::int64_t number, const std::string& unit)
{
    return ::withUnit(std::to_string(number), unit);
}

const std::string Percent = "%";
} // namespace

ProgressLine::Sample ProgressLine::sampleOf(const modShredder::ShredProgress& progress,
                                            std::int64_t elapsedMs)
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
    const int left = std::max(0, sample.sweeps - sample.sweepsSynced);
    // Sweeps all have the same length, so the synced sweeps stand for the synced bytes.
    m_remainingAtEstimateMs = std::int64_t(double(sample.elapsedMs) * left / sample.sweepsSynced);
}

int ProgressLine::percent() const
{
    if (m_last.sweeps <= 0)
        return 0;
    return int(std::int64_t(std::min(m_last.sweepsSynced, m_last.sweeps)) * 100 / m_last.sweeps);
}

int ProgressLine::currentSweep() const
{
    if (m_last.sweeps <= 0)
        return 1;
    return std::min(m_last.sweepsSynced + 1, m_last.sweeps);
}

std::optional<std::int64_t> ProgressLine::remainingSeconds() const
{
    if (!m_remainingAtEstimateMs)
        return std::nullopt;
    const std::int64_t leftMs =
        std::max<std::int64_t>(0, *m_remainingAtEstimateMs - (m_last.elapsedMs - m_estimateMadeMs));
    return (leftMs + 999) / 1000;
}

std::string ProgressLine::text() const
{
    return "Wird überschrieben: " + sweepText() + Dash + shareAndTime();
}

std::string ProgressLine::waitText(const std::string& runningFileName) const
{
    // Joined, not filled in: a name holding "%1" or "%2" stays as it is.
    return "Bitte warten: Erst wird „" + runningFileName + "“ fertig überschrieben" + Dash + shareAndTime();
}

std::string ProgressLine::textNaming(const std::string& runningFileName) const
{
    return "„" + runningFileName + "“ wird überschrieben: " + sweepText() + Dash + shareAndTime();
}

std::string ProgressLine::closingText() const
{
    return "Tilgomatic schliesst, sobald die Datei überschrieben ist" + Dash + shareAndTime();
}

std::string ProgressLine::titleWith(const std::string& title) const
{
    return withUnit(percent(), Percent) + Dash + title;
}

std::string ProgressLine::sweepText() const
{
    return "Durchgang " + std::to_string(currentSweep()) + " von " +
           std::to_string(std::max(m_last.sweeps, 1));
}

std::string ProgressLine::shareAndTime() const
{
    const std::string share = withUnit(percent(), Percent);
    const std::optional<std::int64_t> seconds = remainingSeconds();
    return seconds ? share + Dash + remainingText(*seconds) : share;
}

// Rough on purpose: seconds in steps of five under a minute, whole minutes under two hours, then hours.
std::string ProgressLine::remainingText(std::int64_t seconds)
{
    if (seconds <= 5)
        return "noch wenige Sekunden";
    if (seconds < 60)
        return "noch etwa " + withUnit(std::min<std::int64_t>((seconds + 4) / 5 * 5, 55), "Sekunden");
    const std::int64_t minutes = std::int64_t(std::llround(double(seconds) / 60));
    if (minutes == 1)
        return "noch etwa " + withUnit(1, "Minute");
    if (minutes < 120)
        return "noch etwa " + withUnit(minutes, "Minuten");
    return "noch etwa " + withUnit(std::llround(double(seconds) / 3600), "Stunden");
}
