// SPDX-License-Identifier: GPL-3.0-or-later
// The report's text as the window's font draws it.

#include "engine/ShredReport.h"
#include "support/CoreText.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>

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
