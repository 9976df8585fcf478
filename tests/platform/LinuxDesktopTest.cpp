#include "platform/gui/LinuxDesktop.h"

#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// A stand-in for xdg-mime: logs its arguments and names a desktop file for the types in its table.
class LinuxDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        chm = makeFile("TGHilfe.chm", "ITSF\x03\x00\x00\x00");
        html = makeFile("index.html", "<!DOCTYPE html><html><body>Hilfe</body></html>");
    }

    QString makeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(temp.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    // Writes the fake xdg-mime; answers maps a MIME type to what it prints.
    QString fakeXdgMime(const QList<std::pair<QString, QString>>& answers)
    {
        QByteArray script = "#!/bin/sh\necho \"$@\" >> '" + log().toUtf8() + "'\ncase \"$3\" in\n";
        for (const auto& [type, answer] : answers)
            script += "  '" + type.toUtf8() + "') printf '%s\\n' '" + answer.toUtf8() + "' ;;\n";
        script += "esac\nexit 0\n";
        const QString path = makeFile("xdg-mime", script);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    LinuxDesktop desktop(const QString& xdgMime)
    {
        return LinuxDesktop(xdgMime, [this](const QUrl& url) {
            opened.append(url);
            return openerResult;
        });
    }

    QString log() const { return temp.filePath("xdg-mime.log"); }
    QStringList queries() const
    {
        QFile file(log());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir temp;
    QString chm;
    QString html;
    QList<QUrl> opened;
    bool openerResult = true;
};

TEST_F(LinuxDesktopTest, ADocumentWithARegisteredProgramIsOpened)
{
    LinuxDesktop d = desktop(fakeXdgMime({{"application/vnd.ms-htmlhelp", "xchm.desktop"}}));
    EXPECT_TRUE(d.openDocument(chm));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), QUrl::fromLocalFile(chm));
    EXPECT_EQ(queries().value(0), "query default application/vnd.ms-htmlhelp");

    openerResult = false; // the program could not be started
    EXPECT_FALSE(d.openDocument(chm));
}

TEST_F(LinuxDesktopTest, AProgramRegisteredUnderAnAliasCounts)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(chm);
    ASSERT_TRUE(type.aliases().contains("application/x-chm")) << type.name().toStdString();
    LinuxDesktop d = desktop(fakeXdgMime({{"application/x-chm", "kchmviewer.desktop"}}));
    EXPECT_EQ(d.registeredProgram(type), "kchmviewer.desktop");
    EXPECT_TRUE(d.openDocument(chm));
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(LinuxDesktopTest, WithoutARegisteredProgramNothingIsStarted)
{
    // No answer, and an answer that is no desktop file name.
    for (const QString& answer : {QString(), QStringLiteral("keine Anwendung gefunden")}) {
        LinuxDesktop d = desktop(fakeXdgMime({{"application/vnd.ms-htmlhelp", answer}}));
        EXPECT_FALSE(d.openDocument(chm));
    }
    LinuxDesktop missing = desktop(temp.filePath("gibt-es-nicht/xdg-mime"));
    EXPECT_FALSE(missing.openDocument(chm));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(LinuxDesktopTest, HtmlGoesToTheBrowserEvenWithoutXdgMime)
{
    LinuxDesktop d = desktop(temp.filePath("gibt-es-nicht/xdg-mime"));
    EXPECT_TRUE(d.openDocument(html));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), QUrl::fromLocalFile(html));
}

TEST_F(LinuxDesktopTest, AMissingFileIsNeitherLookedUpNorOpened)
{
    LinuxDesktop d = desktop(fakeXdgMime({{"text/html", "firefox.desktop"}}));
    EXPECT_FALSE(d.openDocument(temp.filePath("weg.html")));
    EXPECT_FALSE(d.openDocument(temp.path())); // a folder is no document
    EXPECT_FALSE(d.openDocument(QString()));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(queries().isEmpty());
}

} // namespace
