// SPDX-License-Identifier: GPL-3.0-or-later
// The German texts for the outcome of a run.

#include "engine/ShredReport.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QSet>
#include <utility>

TEST(ShredReportText, SuccessIsThreeLinesWithAnEmptyMiddle)
{
    const QString text = ShredReport::successText();
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
    const QString text = ShredReport::incompleteText();
    EXPECT_TRUE(text.contains(QString::fromUtf8("gelöscht")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("nicht vollständig überschrieben")));
    EXPECT_NE(text, ShredReport::successText());
}

TEST(ShredReportText, EachOpenFailureHasItsOwnReason)
{
    QSet<QString> texts;
    for (OpenStatus status :
         {OpenStatus::InUse, OpenStatus::AccessDenied, OpenStatus::NotRegularFile, OpenStatus::NotFound,
          OpenStatus::Changed, OpenStatus::NoSpace, OpenStatus::PseudoFile, OpenStatus::Failed}) {
        const QString text = ShredReport::openFailureText(status);
        EXPECT_TRUE(text.startsWith(QString::fromUtf8("Die Datei wurde nicht gelöscht")))
            << text.toStdString();
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 8);
    EXPECT_TRUE(ShredReport::openFailureText(OpenStatus::InUse).contains(QStringLiteral("anderen Programm")));
    EXPECT_TRUE(ShredReport::openFailureText(OpenStatus::Opened).isEmpty());
}

// Sizes speak German whatever the locale: the number in its notation, the unit never in its language.
TEST(ShredReportText, SizesHaveGermanUnitsInEveryLocale)
{
    const std::pair<qint64, const char*> sizes[] = {
        {0, "0 Byte"}, {1023, "1023 Byte"}, {4096, "4.0 KB"}, {1048525, "1.0 MB"}, {3LL << 30, "3.0 GB"}};
    for (const auto& [bytes, english] : sizes) {
        EXPECT_EQ(ShredReport::sizeText(bytes, QLocale(QLocale::English)), QLatin1String(english));
        EXPECT_EQ(ShredReport::sizeText(bytes, QLocale(QLocale::German)),
                  QString::fromLatin1(english).replace(u'.', u','));
    }
    EXPECT_TRUE(
        ShredReport::noSpaceText(4096, 0, QLocale(QLocale::English)).contains(QLatin1String("0 Byte.")));
}

// After a run during which another file was chosen, every report names the destroyed file, and only the
// note about the chosen one may be left out.
TEST(ShredReportText, ChangedTargetNamesTheDestroyedFile)
{
    const QString note = QString::fromUtf8("Die während des Löschens gewählte Datei ist unverändert.");
    EXPECT_EQ(ShredReport::withDestroyedName(ShredReport::successText(), QStringLiteral("a.txt")),
              QString::fromUtf8("„a.txt“ wurde umgebracht!\r\n\r\n") + note);
    const QString incomplete = ShredReport::incompleteText();
    const QString named = ShredReport::withDestroyedName(incomplete, QStringLiteral("a.txt"), false);
    EXPECT_EQ(named, QString::fromUtf8("„a.txt“") + incomplete.mid(9));
    EXPECT_EQ(ShredReport::withDestroyedName(incomplete, QStringLiteral("a.txt")), named + "\r\n\r\n" + note);
}
