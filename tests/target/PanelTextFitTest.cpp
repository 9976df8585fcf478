// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/PanelText.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

// The panel's texts measured with the window's real font.
namespace {

TEST(PanelText, NotDescribableTextFitsTwoLinesOfThePanel)
{
    const QFontMetrics metrics(QFont("DejaVu Sans", 8));
    const QRect box = metrics.boundingRect(QRect(0, 0, 305, 1000), Qt::TextWordWrap,
                                           QString::fromStdString(PanelText::notDescribableText()));
    EXPECT_LE(box.height(), 2 * metrics.lineSpacing());
    EXPECT_TRUE(PanelText::unknownSizeText().starts_with("Dateigrösse: "));
}

} // namespace
