// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <optional>

// A context-menu verb's command: the program, its literal arguments and the place of the chosen file,
// written out in the quoting that each file manager expects.
class ActionCommand
{
public:
    struct Argument
    {
        QString text;        // the literal argument; empty for the file
        bool isFile = false; // true where the chosen file goes ("%1")
    };

    ActionCommand(const QString& program, const QList<Argument>& arguments)
        : m_program(program)
        , m_arguments(arguments)
    {}

    // The command of a registry value that starts program: value is program's path followed by blank-
    // separated words, each "%1" standing for the file (which goes last when no word names it). The
    // program is known, so a folder with blanks needs no guessing. nullopt when value does not start
    // with program.
    static std::optional<ActionCommand> fromValue(const QString& program, const QString& value);

    // The program's exact path (bytes that are no UTF-8 as NativePath keeps them).
    const QString& program() const { return m_program; }

    // The same start with every word valid Unicode, for files that must be UTF-8 (key files, XML): a
    // program path holding bytes that are no UTF-8 is handed to /bin/sh as octal escapes, which it turns
    // back into those bytes. The command itself where it has none.
    ActionCommand textOnly() const;

    // Exec line of a desktop entry (Dolphin, PCManFM) with fileCode for the file: program and arguments
    // double-quoted where the desktop-entry rules ask for it, "%" doubled. The key file's own string
    // escaping is not applied yet (escapeKeyFileValue).
    QString desktopExec(const QString& fileCode) const;
    // Exec line of a Dolphin service menu ("%f" for the file). KIO looks for the program under its first
    // word before it undoes "%%", and skips leading words holding "=" as variable settings; a program
    // with either character is therefore started through /bin/sh, which gets it as a plain argument.
    QString kioExec() const;
    // Exec line of a desktop entry that hands over every selected file at once in listCode ("%F") and
    // starts the program once for each of them, all at the same time, through /bin/sh. For PCManFM, which
    // fills a one-file code with the first file only and starts once. Not yet key-file escaped.
    QString desktopExecEach(const QString& listCode) const;
    // Exec line of a Nemo action: every word shell-quoted, "%" doubled, "%F" bare. Not yet key-file escaped.
    QString nemoExec() const;
    // Command of a Thunar custom action: every word shell-quoted, "%" doubled, "%f" bare. Not XML-escaped.
    QString thunarCommand() const;
    // The command of a Nautilus or Caja script that starts the program for one file, held in the shell
    // variable fileVariable: every word shell-quoted, the file "$fileVariable".
    QString scriptCommand(const QString& fileVariable) const;

    // text in single quotes for a POSIX shell ("'" becomes "'\''").
    static QString shellQuote(const QString& text);
    // text as one argument of a desktop-entry Exec line: unchanged when it holds no reserved character,
    // else in double quotes with '"', '`', '$' and '\' escaped by a backslash. "%" is left alone.
    static QString desktopQuote(const QString& text);
    // value with the key file's string escapes applied ("\\", "\n", "\t", "\r", a leading "\s").
    static QString escapeKeyFileValue(const QString& value);

private:
    // Joins program and arguments, each passed through quote; the file becomes fileCode.
    QString join(QString (*quote)(const QString&), const QString& fileCode) const;

    QString m_program;
    QList<Argument> m_arguments;
};
