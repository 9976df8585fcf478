// SPDX-License-Identifier: GPL-3.0-or-later
// The German texts for the outcome of a run.

#include "engine/ShredReport.h"
#include "support/CoreText.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QSet>
#include <utility>

#include <tuple>

TEST(ShredReportText, SuccessIsThreeLinesWithAnEmptyMiddle)
{
    const QString text = q(ShredReport::successText());
    EXPECT_EQ(text,
              QString::fromUtf8("Die Datei wurde umgebracht!\r\n\r\nZiehen Sie eine neue Datei die gelöscht "
                                "werden soll in dieses Fenster oder benutzen Sie das Ordnericon oben "
                                "rechts um eine Datei zu suchen."));

    // Drawn without wrapping it takes the height of three lines.
    const QFontMetrics metrics(QGuiApplication::font());
    const QRect wide(0, 0, 100000, 1000);
    EXPECT_EQ(metrics.boundingRect(wide, Qt::AlignLeft, text).height(),
              metrics.boundingRect(wide, Qt::AlignLeft, QStringLiteral("A\nB\nC")).height());
}

TEST(ShredReportText, IncompleteSaysKeptAndNotFullyOverwritten)
{
    const QString text = q(ShredReport::incompleteText());
    EXPECT_TRUE(text.contains(QString::fromUtf8("gelöscht")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("nicht vollständig überschrieben")));
    EXPECT_NE(text, q(ShredReport::successText()));
}

TEST(ShredReportText, EachOpenFailureHasItsOwnReason)
{
    QSet<QString> texts;
    for (OpenStatus status :
         {OpenStatus::InUse, OpenStatus::AccessDenied, OpenStatus::NotRegularFile, OpenStatus::NotFound,
          OpenStatus::Changed, OpenStatus::NoSpace, OpenStatus::PseudoFile, OpenStatus::Failed}) {
        const QString text = q(ShredReport::openFailureText(status));
        EXPECT_TRUE(text.startsWith(QString::fromUtf8("Die Datei wurde nicht gelöscht")))
            << text.toStdString();
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 8);
    EXPECT_TRUE(
        q(ShredReport::openFailureText(OpenStatus::InUse)).contains(QStringLiteral("anderen Programm")));
    EXPECT_TRUE(q(ShredReport::openFailureText(OpenStatus::Opened)).isEmpty());
}

// Sizes speak German whatever the locale: the number in its notation, the unit never in its language.
TEST(ShredReportText, SizesHaveGermanUnitsInEveryLocale)
{
    const std::pair<qint64, const char*> sizes[] = {
        {0, "0\u00A0Byte"},       {1023, "1023\u00A0Byte"},
        {4096, "4.0\u00A0KB"},    {1280, "1.3\u00A0KB"}, // a half rounds up
        {10189, "10.0\u00A0KB"},                         // 9.95 carries
        {1048525, "1.0\u00A0MB"}, {3LL << 30, "3.0\u00A0GB"}};
    for (const auto& [bytes, english] : sizes) {
        EXPECT_EQ(q(ShredReport::sizeText(bytes, CoreBridge::numberFormat(QLocale(QLocale::English)))),
                  QString::fromUtf8(english));
        EXPECT_EQ(q(ShredReport::sizeText(bytes, CoreBridge::numberFormat(QLocale(QLocale::German)))),
                  QString::fromUtf8(english).replace(u'.', u','));
    }
    EXPECT_TRUE(q(ShredReport::noSpaceText(4096, 0, CoreBridge::numberFormat(QLocale(QLocale::English))))
                    .contains(QStringLiteral("0\u00A0Byte.")));
}

// After a run during which another file was chosen, every report names the destroyed file, and only the
// note about the chosen one may be left out.
TEST(ShredReportText, ChangedTargetNamesTheDestroyedFile)
{
    const QString note = QString::fromUtf8("Die während des Löschens gewählte Datei ist unverändert.");
    EXPECT_EQ(q(ShredReport::withDestroyedName(ShredReport::successText(), "a.txt")),
              QString::fromUtf8("„a.txt“ wurde umgebracht!\r\n\r\n") + note);
    const QString incomplete = q(ShredReport::incompleteText());
    const QString named = q(ShredReport::withDestroyedName(t(incomplete), "a.txt", false));
    EXPECT_EQ(named, QString::fromUtf8("„a.txt“") + incomplete.mid(9));
    EXPECT_EQ(q(ShredReport::withDestroyedName(t(incomplete), "a.txt")), named + "\r\n\r\n" + note);
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
    const QString seeLimits = QString::fromUtf8("Siehe Hilfe (F1): Grenzen.");
    const QString flash = q(ShredReport::flashText());
    struct Row
    {
        QString text;
        const char* start;
        QString end;
    };
    // clang-format off
    const Row rows[] = {
        {q(ShredReport::incompleteText()), "Die Datei wurde nicht vollständig", "Bitte erneut löschen."},
        {q(ShredReport::nameKeptText()), "Die Datei wurde überschrieben, doch", "Prüfen Sie die Ordnerrechte."},
        {q(ShredReport::changedText("Grund. Trotzdem schreddern und löschen?")), "Nicht gelöscht, seit dem Laden verändert: Grund.", "Bitte erneut bestätigen."},
        {q(ShredReport::noSpaceText(2048, 1024, CoreBridge::numberFormat(QLocale(QLocale::German)))), "Die Datei wurde nicht gelöscht: ihre Durchgänge", "Schaffen Sie Platz."},
        {q(ShredReport::openFailureText(OpenStatus::InUse)), "Die Datei wurde nicht gelöscht, weil", "Schliessen Sie es zuerst."},
        {q(ShredReport::readOnlyRefusalText()), "Die Datei wurde nicht gelöscht, weil", seeLimits},
        {q(ShredReport::overwriteText(check(Outcome::NotReached, true))), "Die Datei wurde gelöscht und überschrieben, doch das Dateisystem", seeLimits},
        {q(ShredReport::overwriteText(check(Outcome::NotCheckable, false))), "Die Datei wurde gelöscht und überschrieben, doch dieses", seeLimits},
        {q(ShredReport::overwriteText(check(Outcome::NotReached, false, OverwriteCheck::Layer::Overlay))), "Die Datei wurde in der oberen Schicht", seeLimits},
        {q(ShredReport::overwriteText(check(Outcome::Verified, true))), "Die Datei wurde umgebracht!\r\n\r\n", flash},
        {q(ShredReport::warningText(check(Outcome::Verified, true))), "SSDs und USB-Sticks", flash + QString::fromUtf8(" Trotzdem schreddern und löschen?")},
        {q(ShredReport::overwriteText(check(Outcome::Verified, false))), "Die Datei wurde umgebracht!", q(ShredReport::successText())},
    };
    // clang-format on
    for (const Row& row : rows) {
        EXPECT_TRUE(row.text.startsWith(QString::fromUtf8(row.start)) && row.text.endsWith(row.end))
            << row.text.toStdString();
    }
    EXPECT_TRUE(q(ShredReport::warningText(check(Outcome::Verified, false))).isEmpty());
}
