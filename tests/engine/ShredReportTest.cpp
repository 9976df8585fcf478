// SPDX-License-Identifier: GPL-3.0-or-later
// The German texts for the outcome of a run.

#include "engine/ShredReport.h"
#include "platform/NumberFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace {

bool contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

// The separators of an English and of a German locale.
const NumberFormat English{".", ","};
const NumberFormat German{",", "."};

} // namespace

TEST(ShredReportText, IncompleteSaysKeptAndNotFullyOverwritten)
{
    const std::string text = ShredReport::incompleteText();
    EXPECT_TRUE(contains(text, "gelöscht"));
    EXPECT_TRUE(contains(text, "nicht vollständig überschrieben"));
    EXPECT_NE(text, ShredReport::successText());
}

TEST(ShredReportText, EachOpenFailureHasItsOwnReason)
{
    std::set<std::string> texts;
    for (OpenStatus status :
         {OpenStatus::InUse, OpenStatus::AccessDenied, OpenStatus::NotRegularFile, OpenStatus::NotFound,
          OpenStatus::Changed, OpenStatus::NoSpace, OpenStatus::PseudoFile, OpenStatus::Blocked,
          OpenStatus::CloudOnly, OpenStatus::StreamFailed, OpenStatus::Immutable, OpenStatus::AppendOnly,
          OpenStatus::Failed}) {
        const std::string text = ShredReport::openFailureText(status);
        EXPECT_TRUE(text.starts_with("Die Datei wurde nicht gelöscht")) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 13u);
    EXPECT_TRUE(contains(ShredReport::openFailureText(OpenStatus::InUse), "anderen Programm"));
    EXPECT_TRUE(ShredReport::openFailureText(OpenStatus::Opened).empty());
}

// Sizes speak German whatever the locale: the number in its notation, the unit never in its language.
TEST(ShredReportText, SizesHaveGermanUnitsInEveryLocale)
{
    const std::pair<std::int64_t, const char*> sizes[] = {
        {0, "0\u00A0Byte"},       {1023, "1023\u00A0Byte"},
        {4096, "4.0\u00A0KB"},    {1280, "1.3\u00A0KB"}, // a half rounds up
        {10189, "10.0\u00A0KB"},                         // 9.95 carries
        {1048525, "1.0\u00A0MB"}, {3LL << 30, "3.0\u00A0GB"}};
    for (const auto& [bytes, english] : sizes) {
        EXPECT_EQ(ShredReport::sizeText(bytes, English), english);
        std::string german = english;
        std::replace(german.begin(), german.end(), '.', ',');
        EXPECT_EQ(ShredReport::sizeText(bytes, German), german);
    }
    EXPECT_TRUE(contains(ShredReport::noSpaceText(4096, 0, English), "0\u00A0Byte."));
}

// After a run during which another file was chosen, every report names the destroyed file, and only the
// note about the chosen one may be left out.
TEST(ShredReportText, ChangedTargetNamesTheDestroyedFile)
{
    const std::string note = "Die während des Löschens gewählte Datei ist unverändert.";
    EXPECT_EQ(ShredReport::withDestroyedName(ShredReport::successText(), "a.txt"),
              "„a.txt“ wurde umgebracht!\r\n\r\n" + note);
    const std::string incomplete = ShredReport::incompleteText();
    const std::string named = ShredReport::withDestroyedName(incomplete, "a.txt", false);
    EXPECT_EQ(named, "„a.txt“" + incomplete.substr(std::string_view("Die Datei").size()));
    EXPECT_EQ(ShredReport::withDestroyedName(incomplete, "a.txt"), named + "\r\n\r\n" + note);
}

// Every outcome after which the window stays open keeps its first words and ends with what to do next;
// flash memory adds its sentence to a verified run, before it and after it, and calls it no failure.
TEST(ShredReportText, OutcomesThatStayOpenSayWhatToDo)
{
    using OverwriteCheck::Outcome;
    const auto check = [](Outcome outcome, bool flash, OverwriteCheck::Layer layer = {}) {
        OverwriteCheck::Result result;
        std::tie(result.outcome, result.flash, result.layer) = std::tuple(outcome, flash, layer);
        result.reason = outcome == Outcome::NotReached ? OverwriteCheck::Reason::CopyOnWrite
                                                       : OverwriteCheck::Reason::None;
        return result;
    };
    const std::string seeLimits = "Siehe Hilfe (F1): Grenzen.";
    const std::string flash = ShredReport::flashText();
    struct Row
    {
        std::string text;
        const char* start;
        std::string end;
    };
    // clang-format off
    const Row rows[] = {
        {ShredReport::incompleteText(), "Die Datei wurde nicht vollständig", "Bitte erneut löschen."},
        {ShredReport::nameKeptText(), "Die Datei wurde überschrieben, doch", "Prüfen Sie die Ordnerrechte."},
        {ShredReport::changedText("Grund. Trotzdem schreddern und löschen?"), "Nicht gelöscht, seit dem Laden verändert: Grund.", "Bitte erneut bestätigen."},
        {ShredReport::noSpaceText(2048, 1024, German), "Die Datei wurde nicht gelöscht: ihre Durchgänge", "Schaffen Sie Platz."},
        {ShredReport::openFailureText(OpenStatus::InUse), "Die Datei wurde nicht gelöscht, weil", "Schliessen Sie es zuerst."},
        {ShredReport::inUseText("sleep"), "Die Datei wurde nicht gelöscht, weil „sleep“", "Schliessen Sie sie dort zuerst."},
        {ShredReport::inUseText("tilgomatic", true), "Die Datei wurde nicht gelöscht, weil ein anderes Tilgomatic", "Warten Sie, bis es fertig ist."},
        {ShredReport::openFailureText(OpenStatus::Immutable), "Die Datei wurde nicht gelöscht, weil", "„chattr -i“ ausführen, dann neu laden."},
        {ShredReport::readOnlyRefusalText(), "Die Datei wurde nicht gelöscht, weil", seeLimits},
        {ShredReport::leftoverText({1, {}, {}}), "Rest eines abgebrochenen Laufs gelöscht", "Laden Sie Ihre Datei erneut."},
        {ShredReport::leftoverText({1, {"/a/Tilgomatic-abgebrochen-0f"}, {}}), "„Tilgomatic-abgebrochen-0f“ ist nicht fertig", "Laden und löschen Sie sie."},
        {ShredReport::leftoverText({0, {"/a/x"}, {"/a/.tilgomatic-0f"}}), "Ein abgebrochener Lauf hinterliess „.tilgomatic-0f“", "Prüfen Sie die Ordnerrechte und laden Sie erneut."},
        {ShredReport::overwriteText(check(Outcome::NotReached, true)), "Die Datei wurde gelöscht und überschrieben, doch das Dateisystem", seeLimits},
        {ShredReport::overwriteText(check(Outcome::NotCheckable, false)), "Die Datei wurde gelöscht und überschrieben, doch dieses", seeLimits},
        {ShredReport::overwriteText(check(Outcome::NotReached, false, OverwriteCheck::Layer::Overlay)), "Die Datei wurde in der oberen Schicht", seeLimits},
        {ShredReport::overwriteText(check(Outcome::Verified, true)), "Die Datei wurde umgebracht!\r\n\r\n", flash},
        {ShredReport::warningText(check(Outcome::Verified, true)), "SSDs und USB-Sticks", flash + " Trotzdem schreddern und löschen?"},
        {ShredReport::overwriteText(check(Outcome::Verified, false)), "Die Datei wurde umgebracht!", ShredReport::successText()},
    };
    // clang-format on
    for (const Row& row : rows) {
        EXPECT_TRUE(row.text.starts_with(row.start) && row.text.ends_with(row.end)) << row.text;
    }
    EXPECT_TRUE(ShredReport::warningText(check(Outcome::Verified, false)).empty());
}
