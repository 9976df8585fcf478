#pragma once

#include <QList>
#include <QString>

// A context-menu verb's command as the registry holds it, unquoted, e.g. "/opt/my tools/tilgomatic 1% %1",
// taken apart into the program, its literal arguments and the place of the chosen file, and written out
// again in the quoting that each file manager expects.
class ActionCommand
{
public:
    struct Argument
    {
        QString text;        // the literal argument; empty for the file
        bool isFile = false; // true where the chosen file goes ("%1")
    };

    // Splits command. The program is the longest blank-separated prefix that names an existing file
    // (so a folder with blanks works), or else the first word; the remaining words are literal arguments,
    // except that each word "%1" stands for the file. Without any "%1" the file goes last. Returns an
    // invalid command (isValid() false) when there is no program word.
    static ActionCommand parse(const QString& command);

    bool isValid() const { return !m_program.isEmpty(); }
    const QString& program() const { return m_program; }
    const QList<Argument>& arguments() const { return m_arguments; }

    // Exec line of a desktop entry (Dolphin, PCManFM) with fileCode for the file: program and arguments
    // double-quoted where the desktop-entry rules ask for it, "%" doubled. The key file's own string
    // escaping is not applied yet (escapeKeyFileValue).
    QString desktopExec(const QString& fileCode) const;
    // Exec line of a Dolphin service menu ("%f" for the file). KIO looks for the program under its first
    // word before it undoes "%%", and skips leading words holding "=" as variable settings; a program
    // with either character is therefore started through /bin/sh, which gets it as a plain argument.
    QString kioExec() const;
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
