// SPDX-License-Identifier: GPL-3.0-or-later
// The line shown while a run lasts, from recorded progress samples.

#include "engine/ProgressLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ProgressCase
{
    const char* name;
    std::vector<ProgressLine::Sample> samples; // fed in order; the text is read after the last
    const char* text;
};

class ProgressLineCases : public ::testing::TestWithParam<ProgressCase>
{
};

TEST_P(ProgressLineCases, Text)
{
    ProgressLine line;
    for (const ProgressLine::Sample& sample : GetParam().samples)
        line.update(sample);
    EXPECT_EQ(line.text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressLineCases,
    ::testing::Values(
        // Not yet open: no sweep count, nothing synced, no estimate.
        ProgressCase{"beforeTheOpen", {{0, 0, 600}}, "Wird überschrieben: Durchgang 1 von 1\u00A0– 0\u00A0%"},
        ProgressCase{"noSyncYet", {{36, 0, 600}}, "Wird überschrieben: Durchgang 1 von 36\u00A0– 0\u00A0%"},
        // 5 of 36 sweeps in 20 s: 31 more take 124 s.
        ProgressCase{
            "estimateFromSyncedSweeps",
            {{36, 5, 20000}},
            "Wird überschrieben: Durchgang 6 von 36\u00A0– 13\u00A0%\u00A0– noch etwa 2\u00A0Minuten"},
        // A long sync: the estimate made at the last synced sweep counts down with the clock.
        ProgressCase{
            "countsDownBetweenSyncs",
            {{36, 5, 20000}, {36, 5, 90000}},
            "Wird überschrieben: Durchgang 6 von 36\u00A0– 13\u00A0%\u00A0– noch etwa 55\u00A0Sekunden"},
        ProgressCase{"neverBelowZero",
                     {{36, 5, 20000}, {36, 5, 900000}},
                     "Wird überschrieben: Durchgang 6 von 36\u00A0– 13\u00A0%\u00A0– noch wenige Sekunden"},
        // A slower stretch later on is taken into the estimate at the next synced sweep.
        ProgressCase{
            "newEstimateAtNextSync",
            {{36, 1, 1000}, {36, 18, 3600000}},
            "Wird überschrieben: Durchgang 19 von 36\u00A0– 50\u00A0%\u00A0– noch etwa 60\u00A0Minuten"},
        ProgressCase{
            "allSynced",
            {{36, 36, 72000}},
            "Wird überschrieben: Durchgang 36 von 36\u00A0– 100\u00A0%\u00A0– noch wenige Sekunden"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressLineText, RemainingTimeIsRough)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "noch wenige Sekunden"},        {5, "noch wenige Sekunden"},
        {6, "noch etwa 10\u00A0Sekunden"},  {59, "noch etwa 55\u00A0Sekunden"},
        {60, "noch etwa 1\u00A0Minute"},    {89, "noch etwa 1\u00A0Minute"},
        {90, "noch etwa 2\u00A0Minuten"},   {7139, "noch etwa 119\u00A0Minuten"},
        {7200, "noch etwa 2\u00A0Stunden"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(ProgressLine::remainingText(seconds), text) << seconds;
}

TEST(ProgressLineText, TitleAndWaitNoticeCarryTheShare)
{
    ProgressLine line;
    line.update({36, 9, 9000});
    EXPECT_EQ(line.titleWith("Tilgomatic 1.0"), "25\u00A0%\u00A0– Tilgomatic 1.0");
    EXPECT_EQ(
        line.waitText("a.txt"),
        "Bitte warten: Erst wird „a.txt“ fertig überschrieben\u00A0– 25\u00A0%\u00A0– noch etwa 30\u00A0"
        "Sekunden");
}

// The name goes into the line as it is, whatever placeholders or percent signs it holds.
TEST(ProgressLineText, NamesKeepTheirPercentSigns)
{
    ProgressLine line;
    line.update({36, 9, 9000});
    const std::string share = "\u00A0– 25\u00A0%\u00A0– noch etwa 30\u00A0Sekunden";
    for (const std::string file : {"Rabatt 10%2.pdf", "%1", "%2%3", "%%", "%%1 %L2", "a%1b%2c%3d%"}) {
        EXPECT_EQ(line.textNaming(file), "„" + file + "“ wird überschrieben: Durchgang 10 von 36" + share);
        EXPECT_EQ(line.waitText(file), "Bitte warten: Erst wird „" + file + "“ fertig überschrieben" + share);
    }
}

} // namespace
