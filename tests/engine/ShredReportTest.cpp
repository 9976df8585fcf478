// The German texts for the outcome of a run.

#include "engine/ShredReport.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QSet>

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

TEST(ShredReportText, IncompleteSaysGoneButNotFullyOverwritten)
{
    const QString text = ShredReport::incompleteText();
    EXPECT_TRUE(text.contains(QString::fromUtf8("gelöscht")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("nicht vollständig überschrieben")));
    EXPECT_NE(text, ShredReport::successText());
}

TEST(ShredReportText, EachOpenFailureHasItsOwnReason)
{
    QSet<QString> texts;
    for (OpenStatus status : {OpenStatus::InUse, OpenStatus::AccessDenied, OpenStatus::NotRegularFile,
                              OpenStatus::NotFound, OpenStatus::Failed}) {
        const QString text = ShredReport::openFailureText(status);
        EXPECT_TRUE(text.startsWith(QString::fromUtf8("Die Datei wurde nicht gelöscht")))
            << text.toStdString();
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 5);
    EXPECT_TRUE(ShredReport::openFailureText(OpenStatus::InUse).contains(QStringLiteral("anderen Programm")));
    EXPECT_TRUE(ShredReport::openFailureText(OpenStatus::Opened).isEmpty());
}

// Only a verified run is announced as destroyed; the others say what became of the old contents, and
// further names are mentioned whatever the outcome.
TEST(ShredReportText, EachOverwriteOutcomeSaysWhatRemains)
{
    using OverwriteCheck::Outcome;
    using OverwriteCheck::Reason;
    const std::pair<OverwriteCheck::Result, const char*> cases[] = {
        {{Outcome::NotReached, Reason::CopyOnWrite, QStringLiteral("Btrfs"), false},
         "behält Kopien des alten Inhalts: Btrfs schreibt Änderungen an eine neue Stelle."},
        {{Outcome::NotReached, Reason::Shared, QStringLiteral("XFS"), false},
         "teilt ihre Blöcke mit einer Kopie"},
        {{Outcome::NotReached, Reason::Inline, QStringLiteral("Btrfs"), false}, "Btrfs hält kleine Dateien"},
        {{Outcome::NotReached, Reason::Journalled, QStringLiteral("ext4"), false},
         "ext4 schreibt die Daten auch"},
        {{Outcome::NotCheckable, Reason::None, QString(), false}, "lässt Tilgomatic nicht prüfen"},
        {{Outcome::Verified, Reason::None, QString(), true},
         "umgebracht!\r\n\r\nDie Datei hat weitere Namen"},
    };
    for (auto [check, part] : cases) {
        EXPECT_TRUE(ShredReport::overwriteText(check).contains(QString::fromUtf8(part))) << part;
        EXPECT_FALSE(ShredReport::warningText(check).isEmpty()) << part;
        check.otherNames = true;
        EXPECT_TRUE(ShredReport::overwriteText(check).contains(QStringLiteral("(harte Links)"))) << part;
    }
    const OverwriteCheck::Result verified{Outcome::Verified, Reason::None, QStringLiteral("ext4"), false};
    EXPECT_EQ(ShredReport::overwriteText(verified), ShredReport::successText());
    EXPECT_TRUE(ShredReport::warningText(verified).isEmpty());
}
