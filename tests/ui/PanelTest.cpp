// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"
#include "engine/ShredReport.h"
#include "support/CoreText.h"
#include "support/TestFiles.h"
#include "target/PanelText.h"
#include "ui/PanelLabel.h"
#include "ui/PictureBox.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QPushButton>

#include <linux/fs.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString Question = QStringLiteral("Möchten Sie diese Datei unwiderruflich schreddern und löschen, "
                                        "damit sie nie wieder hergestellt werden kann?");

class PanelTest : public WindowFixture
{
protected:
    QList<PanelLabel*> fileLabels() const
    {
        return {window->lblMsg,           window->lblFileAttribute, window->lblFileAttributeTitle,
                window->lblFilePath,      window->lblFilePathTitle, window->lblFileName,
                window->lblFileNameTitle, window->lblFileSize};
    }
    void expectEmptyState()
    {
        EXPECT_TRUE(window->TargetPath().isEmpty());
        EXPECT_TRUE(window->lblEmpty->isVisible());
        for (PanelLabel* label : fileLabels())
            EXPECT_FALSE(label->isVisible()) << label->objectName().toStdString();
        EXPECT_FALSE(window->cmdDelete->isEnabled());
    }
    void expectLoadedState()
    {
        EXPECT_FALSE(window->lblEmpty->isVisible());
        for (PanelLabel* label : fileLabels())
            EXPECT_TRUE(label->isVisible()) << label->objectName().toStdString();
        EXPECT_TRUE(window->cmdDelete->isEnabled());
    }
};

TEST_F(PanelTest, LoadedFileIsDescribed)
{
    const QString file = openWithFile(QStringLiteral("Ordner/Brief an Anna.txt"), 1536);
    expectLoadedState();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tilgomatic 1.0"));
    EXPECT_EQ(window->lblFileName->text(), QStringLiteral("Brief an Anna.txt"));
    EXPECT_EQ(window->lblFilePath->text(), files.filePath(QStringLiteral("Ordner")));
    EXPECT_EQ(window->lblFileAttribute->text(), QStringLiteral("Normal"));
    EXPECT_EQ(window->lblFileSize->text(), QStringLiteral("Dateigrösse: 1,50\u00A0KB"));
    EXPECT_EQ(window->lblMsg->text(), Question);
}

TEST_F(PanelTest, SizesInGermanAndEnglish)
{
    open();
    const struct
    {
        qint64 bytes;
        const char* german;
        const char* english;
    } cases[] = {{0, "0,00", "0.00"},   {5, "0,00", "0.00"},    {6, "0,01", "0.01"},
                 {128, "0,13", "0.13"}, {1536, "1,50", "1.50"}, {1048576, "1024,00", "1024.00"}};
    for (const auto& c : cases) {
        const QString file = makeFile(QStringLiteral("size-%1.bin").arg(c.bytes), c.bytes);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        load(file);
        EXPECT_EQ(window->lblFileSize->text(),
                  QStringLiteral("Dateigrösse: %1\u00A0KB").arg(QLatin1String(c.german)));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        window->RefreshTarget();
        EXPECT_EQ(window->lblFileSize->text(),
                  QStringLiteral("Dateigrösse: %1\u00A0KB").arg(QLatin1String(c.english)));
    }
}

// A size whose KB text would run under the pictures is given in a larger unit.
TEST_F(PanelTest, ATebibyteEndsLeftOfThePictures)
{
    open();
    QFile sparse(makeFile(QStringLiteral("gross.bin"), 0));
    if (!sparse.resize(qint64(1) << 40))
        GTEST_SKIP() << "no sparse file of 1 TiB here";
    load(sparse.fileName());
    const QString shown = window->lblFileSize->text();
    EXPECT_EQ(shown, QStringLiteral("Dateigrösse: 1,00\u00A0TB"));
    EXPECT_LT(window->lblFileSize->x() + window->fontMetrics().horizontalAdvance(shown), window->Image2->x());
}

TEST_F(PanelTest, AttributesOfRealFiles)
{
    openWithFile(QStringLiteral("plain.txt"));
    EXPECT_EQ(window->lblFileAttribute->text(), QStringLiteral("Normal"));

    const QString readOnly = makeFile(QStringLiteral("locked.txt"));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    load(readOnly);
    EXPECT_EQ(window->lblFileAttribute->text(), QStringLiteral("Schreibgeschützt"));

    load(makeFile(QStringLiteral(".hidden")));
    EXPECT_EQ(window->lblFileAttribute->text(), QStringLiteral("Versteckt"));

    const QString both = makeFile(QStringLiteral(".locked"));
    QFile::setPermissions(both, QFile::ReadOwner);
    load(both);
    EXPECT_EQ(window->lblFileAttribute->text(), QStringLiteral("Schreibgeschützt, Versteckt"));
}

TEST_F(PanelTest, LongFolderIsShortenedToTheLabel)
{
    open();
    const QString deep =
        QStringLiteral("Dokumente/Projekte mit langen Namen/Steuererklärung für das Jahr 2026/"
                       "Belege und Quittungen/Originale aus dem Scanner");
    load(makeFile(deep + QStringLiteral("/beleg.pdf")));
    const QString shown = window->lblFilePath->text();
    EXPECT_TRUE(shown.contains(QLatin1String("..."))) << shown.toStdString();
    EXPECT_LE(QFontMetrics(window->font()).horizontalAdvance(shown), window->lblFilePath->width());
    EXPECT_EQ(window->lblFilePath->visibleLineCount(), 1);
    EXPECT_EQ(window->lblFileName->text(), QStringLiteral("beleg.pdf"));
}

// Fonts put the dots of capitals above their ascent; a line flush with the label's top loses them.
TEST_F(PanelTest, CapitalUmlautsKeepTheirDotsInsideEveryLabel)
{
    openWithFile(QStringLiteral("a.txt")); // the tests' screen has 96 dots per inch
    const auto darkPixels = [](PanelLabel* label, const QString& text) {
        label->setText(text);
        const QImage image = label->grab().toImage();
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        return dark;
    };
    for (PanelLabel* label : window->findChildren<PanelLabel*>())
        EXPECT_GE(darkPixels(label, QStringLiteral("Ä")), darkPixels(label, QStringLiteral("A")) + 2)
            << label->objectName().toStdString();
}

// A target that cannot be read is named, marked as unknown, and cannot be deleted.
TEST_F(PanelTest, MissingTargetIsNamedButNotOfferedForDeletion)
{
    open();
    const QString missing = path(QStringLiteral("gibt es nicht.txt"));
    load(missing);
    EXPECT_EQ(window->TargetPath(), missing);
    EXPECT_EQ(window->lblFileName->text(), QStringLiteral("gibt es nicht.txt"));
    EXPECT_EQ(window->lblFileAttribute->text(), q(PanelText::unreadableAttributeText()));
    EXPECT_EQ(window->lblFileSize->text(), q(PanelText::unknownSizeText()));
    EXPECT_EQ(window->lblMsg->text(), q(PanelText::notDescribableText()));
    EXPECT_TRUE(window->lblMsg->isVisible());
    EXPECT_FALSE(window->cmdDelete->isEnabled());
    EXPECT_EQ(window->lblMsg->visibleLineCount(), window->lblMsg->lineCount());

    // Once the file is there, the next refresh offers it again.
    makeFile(QStringLiteral("gibt es nicht.txt"), 6);
    window->RefreshTarget();
    EXPECT_EQ(window->lblMsg->text(), Question);
    EXPECT_EQ(window->lblFileSize->text(), QStringLiteral("Dateigrösse: 0,01\u00A0KB"));
    EXPECT_TRUE(window->cmdDelete->isEnabled());
}

// What no run would open is refused as it is loaded, from the command line too, and cannot be deleted; a
// marked file is refused naming its mark.
TEST_F(PanelTest, FifoSocketDeviceAndMarkedFilesAreRefusedWhenLoaded)
{
    const QString fifo = path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString socketPath = path(QStringLiteral("sock"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    struct
    {
        QString file;
        OpenStatus refused;
        int flag = 0;
    } cases[] = {{socketPath, OpenStatus::NotRegularFile},
                 {QStringLiteral("/dev/null"), OpenStatus::NotRegularFile},
                 {makeFile(QStringLiteral("fest.txt")), OpenStatus::Immutable, FS_IMMUTABLE_FL},
                 {makeFile(QStringLiteral("wachsend.log")), OpenStatus::AppendOnly, FS_APPEND_FL}};

    open({fifo});
    EXPECT_EQ(window->TargetPath(), fifo);
    EXPECT_EQ(window->lblMsg->text(), q(ShredReport::loadRefusalText(OpenStatus::NotRegularFile)));
    EXPECT_FALSE(window->cmdDelete->isEnabled());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (c.flag && !markFile(c.file, c.flag)) {
            std::printf("skipped %s: no inode flags for us here\n", qPrintable(c.file));
            continue;
        }
        load(c.file);
        EXPECT_EQ(window->lblMsg->text(), q(ShredReport::loadRefusalText(c.refused)));
        EXPECT_EQ(window->lblMsg->visibleLineCount(), window->lblMsg->lineCount());
        EXPECT_FALSE(window->cmdDelete->isEnabled());
        if (c.flag) {
            // Refused at the open too, should the mark come after the load; unmarked, offered again.
            EXPECT_EQ(linuxFileSystem.openExclusive(p(c.file)).status, c.refused);
            ASSERT_TRUE(markFile(c.file, c.flag, false));
            window->RefreshTarget();
            EXPECT_TRUE(window->cmdDelete->isEnabled());
        }
    }
    ::close(socket);
}

// The command line as the window starts with it: the path it names is loaded, or the window starts empty.
TEST_F(PanelTest, CommandLineTargetAtStart)
{
    const QString blanks = makeFile(QStringLiteral("mit Leerzeichen.txt"), 128);
    const QString tilde = makeFile(QStringLiteral("a~1.txt"));
    const struct
    {
        QStringList arguments;
        QString target;
    } cases[] = {
        {{QStringLiteral("  \"") + blanks + QStringLiteral("\"  ")}, blanks},
        {{QStringLiteral("1%"), blanks}, blanks}, // as the file managers' entry starts it
        {{QStringLiteral("mit"), QStringLiteral("Leerzeichen.txt")}, blanks}, // relative, in two words
        {{tilde}, tilde},
        {{QLatin1Char('"') + tilde + QLatin1Char('"')}, QString()}, // the quotes reach the long-form lookup
        {{QStringLiteral("   ")}, QString()},
        {{}, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char('|')).toStdString());
        open(c.arguments);
        EXPECT_EQ(window->TargetPath(), c.target);
        if (c.target.isEmpty()) {
            expectEmptyState();
        } else {
            expectLoadedState();
            EXPECT_EQ(window->lblFileName->text(), QFileInfo(c.target).fileName());
        }
    }
}

} // namespace
