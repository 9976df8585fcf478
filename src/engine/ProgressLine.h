// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Shredder.h"

#include <cstdint>
#include <optional>
#include <string>

// The line the window shows in place of its question while a run lasts, worked out from the engine's
// progress: the sweep being written, the share of all bytes already synced and the time still needed,
// estimated from how fast the synced bytes came.
class ProgressLine
{
public:
    // A run that ends sooner shows no progress at all.
    static constexpr std::int64_t ShowAfterMs = 500;
    // How often the window takes a new sample (at least twice a second).
    static constexpr int UpdateIntervalMs = 250;

    struct Sample
    {
        int sweeps = 0; // 0 until the file is open
        int sweepsSynced = 0;
        std::int64_t elapsedMs = 0; // since the run started
    };

    static Sample sampleOf(const modShredder::ShredProgress& progress, std::int64_t elapsedMs);

    // Takes the newest sample; samples come in time order.
    void update(const Sample& sample);

    // The share of the run's bytes that are synced, in whole percent rounded down (0 before the open).
    int percent() const;
    // The sweep being written, from 1; the last one once all are synced.
    int currentSweep() const;
    // Seconds still needed; none before the first sweep is synced, as there is no rate yet.
    std::optional<std::int64_t> remainingSeconds() const;

    // "Wird überschrieben: Durchgang 5 von 36 – 14 % – noch etwa 2 Minuten"; a no-break space keeps each
    // number with its unit and each dash with the words before it.
    std::string text() const;
    // After a click on the delete button during the run: the running file must finish first.
    std::string waitText(const std::string& runningFileName) const;
    // While the panel shows another file: "„NAME“ wird überschrieben: Durchgang 5 von 36 – 14 % – …"
    std::string textNaming(const std::string& runningFileName) const;
    // After a close was asked for during the run.
    std::string closingText() const;
    // "14 % – " + title, for the window title.
    std::string titleWith(const std::string& title) const;

    // "noch etwa 2 Minuten", "noch etwa 45 Sekunden", "noch wenige Sekunden", ...
    static std::string remainingText(std::int64_t seconds);

private:
    // "Durchgang 5 von 36"
    std::string sweepText() const;
    // "14 % – noch etwa 2 Minuten", or "14 %" without an estimate.
    std::string shareAndTime() const;

    Sample m_last;
    int m_syncedAtEstimate = 0; // sweeps synced when the estimate was last made
    std::int64_t m_estimateMadeMs = 0;
    std::optional<std::int64_t> m_remainingAtEstimateMs;
};
