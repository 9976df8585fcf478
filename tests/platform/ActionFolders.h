// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NativePath.h"
#include "platform/linux/ActionCommand.h"
#include "platform/linux/FileManagerActions.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>
#include <sys/stat.h>

// A user's data and config folders inside a temporary folder, and where each file manager's entry of the
// verb "Tilgomatic" lies in them.
class ActionFolders : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    FileManagerActions actions(bool thunarInstalled = false) const
    {
        FileManagerActions result(dataHome, configHome);
        result.setThunarSystemFile(systemUca);
        result.setThunarInstalled([thunarInstalled] { return thunarInstalled; });
        return result;
    }
    // The command the main window registers for program.
    static ActionCommand command(const QString& program = QStringLiteral("/opt/tilgomatic/tilgomatic"))
    {
        return *ActionCommand::fromValue(program, program + QStringLiteral(" 1% %1"));
    }

    QString dolphin() const { return dataHome + QStringLiteral("/kio/servicemenus/tilgomatic.desktop"); }
    QString nautilus() const { return dataHome + QStringLiteral("/nautilus/scripts/Tilgomatic"); }
    QString nemo() const { return dataHome + QStringLiteral("/nemo/actions/tilgomatic.nemo_action"); }
    QString pcmanfm() const { return dataHome + QStringLiteral("/file-manager/actions/tilgomatic.desktop"); }
    QString caja() const { return configHome + QStringLiteral("/caja/scripts/Tilgomatic"); }
    QString uca() const { return configHome + QStringLiteral("/Thunar/uca.xml"); }
    QStringList separateFiles() const { return {dolphin(), nautilus(), nemo(), pcmanfm(), caja()}; }

    // writeFile, creating the folders on the way.
    static void put(const QString& path, const QByteArray& bytes, mode_t mode = 0644)
    {
        const QByteArray native = NativePath::toNative(path);
        for (qsizetype slash = native.indexOf('/', 1); slash > 0; slash = native.indexOf('/', slash + 1))
            ::mkdir(native.left(slash).constData(), 0755);
        writeFile(path, bytes, mode);
    }
    static ino_t inode(const QString& path)
    {
        struct stat info
        {
        };
        return ::lstat(NativePath::toNative(path).constData(), &info) == 0 ? info.st_ino : 0;
    }

    QTemporaryDir temp;
    QString dataHome = temp.filePath(QStringLiteral("data"));
    QString configHome = temp.filePath(QStringLiteral("config"));
    QString systemUca = temp.filePath(QStringLiteral("etc/uca.xml"));
};

// The unique-id, name and command of each action in a uca.xml, as Thunar reads them.
inline QList<QStringList> thunarEntries(const QString& path)
{
    QList<QStringList> entries;
    QXmlStreamReader reader(readFile(path));
    const QStringList fields{QStringLiteral("unique-id"), QStringLiteral("name"), QStringLiteral("command")};
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QStringLiteral("action"))
            entries.append(QStringList(3));
        else if (const qsizetype field = fields.indexOf(reader.name().toString());
                 field >= 0 && !entries.isEmpty())
            entries.last()[field] = reader.readElementText();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return entries;
}
