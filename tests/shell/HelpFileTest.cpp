// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/HelpFile.h"
#include "support/CoreText.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class HelpFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        folder = temp.path();
        ASSERT_TRUE(QDir(folder).mkpath("TGHilfe"));
        write(folder + "/TGHilfe/index.html", "<html></html>");
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir temp;
    QString folder;
};

TEST_F(HelpFileTest, TheHelpStartsWithItsIndexPageWhenItsPagesAreInstalled)
{
    EXPECT_EQ(HelpFile::startPage(p(folder)), p(folder + "/TGHilfe/index.html"));
    ASSERT_TRUE(QFile::remove(folder + "/TGHilfe/index.html"));
    EXPECT_TRUE(HelpFile::startPage(p(folder)).empty());
}

// The help the build produces beside the executable.
class BuiltHelp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The test program lies in <build>/tests.
        buildDir = qEnvironmentVariable("TILGOMATIC_BUILD_DIR");
        if (buildDir.isEmpty())
            buildDir = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/..");
        if (!QFileInfo::exists(buildDir + "/CMakeCache.txt"))
            GTEST_SKIP() << "no build folder found for " << buildDir.toStdString();
    }
    QString buildDir;
};

TEST_F(BuiltHelp, TheWindowFindsItsPagesAndTheCompiledHelpBesideThemHoldsEveryOne)
{
    // The pages the help window starts with, found as the program finds them beside the executable.
    const QString startPage = CoreBridge::fromPath(HelpFile::startPage(p(buildDir)));
    ASSERT_FALSE(startPage.isEmpty()) << "no help pages in " << buildDir.toStdString();
    const QDir html(QFileInfo(startPage).absolutePath());

    // The compiled help the build puts beside them for CHM viewers.
    QFile chm(buildDir + "/TGHilfe.chm");
    ASSERT_TRUE(chm.open(QIODevice::ReadOnly)) << chm.fileName().toStdString();
    const QByteArray bytes = chm.readAll();
    EXPECT_TRUE(bytes.startsWith("ITSF")) << "not a compiled help file";

    const QStringList pages = html.entryList({"*.html", "*.css"}, QDir::Files);
    EXPECT_GE(pages.size(), 2);
    // The archive's directory keeps the names in plain text.
    for (const QString& page : pages)
        EXPECT_TRUE(bytes.contains(("/" + page).toUtf8())) << page.toStdString() << " is not in the .chm";
}

TEST_F(BuiltHelp, EveryLinkOfTheHtmlCopyLeadsToAnExistingPage)
{
    const QDir html(QFileInfo(CoreBridge::fromPath(HelpFile::htmlPath(p(buildDir)))).absolutePath());
    const QRegularExpression link(R"((?:href|src)\s*=\s*"([^"#]*)(#[^"]*)?")");
    int links = 0;
    for (const QString& page : html.entryList({"*.html"}, QDir::Files)) {
        QFile file(html.filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.contains("charset=utf-8")) << page.toStdString();
        for (auto match = link.globalMatch(text); match.hasNext();) {
            const QString target = match.next().captured(1);
            if (target.isEmpty() || QUrl(target).scheme().size() > 1)
                continue; // an anchor on the same page or an outside address
            ++links;
            EXPECT_TRUE(QFileInfo::exists(html.filePath(target)))
                << page.toStdString() << " links to missing " << target.toStdString();
        }
    }
    EXPECT_GT(links, 0);
}

// Viewers read the contents in the code page of the project's language and drop entities.
TEST_F(BuiltHelp, TheContentsSpellTheirUmlautsInTheProjectsCodePage)
{
    QFile contents(buildDir + "/resources/help/chm/TGHilfe.hhc"); // what chmcmd compiled
    ASSERT_TRUE(contents.open(QIODevice::ReadOnly)) << contents.fileName().toStdString();
    const QByteArray bytes = contents.readAll();
    EXPECT_FALSE(QString::fromLatin1(bytes).contains(QRegularExpression("&#?\\w+;")));
    EXPECT_TRUE(bytes.contains("Datei l\xF6schen")); // Windows-1252, the code page of 0x407
}

} // namespace
