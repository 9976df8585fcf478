#include "platform/linux/ActionCommand.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString filePlaceholder = QStringLiteral("%1");

// Every file manager here reads "%" as the start of a field code, so a literal one is written twice.
QString doublePercent(const QString& text)
{
    QString result = text;
    return result.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

QString desktopWord(const QString& text)
{
    return doublePercent(ActionCommand::desktopQuote(text));
}

QString shellWordWithFieldCodes(const QString& text)
{
    return doublePercent(ActionCommand::shellQuote(text));
}

// The characters that the desktop-entry rules reserve: an argument holding one must be quoted.
bool isReservedInExec(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f;
}

} // namespace

ActionCommand ActionCommand::parse(const QString& command)
{
    ActionCommand result;

    qsizetype start = 0;
    while (start < command.size() && command.at(start) == QLatin1Char(' '))
        ++start;
    const QString text = command.mid(start);

    // Longest prefix ending at a blank (or at the end) that names an existing file. Only absolute
    // prefixes count: a relative one would be judged against whatever folder we happen to run in.
    qsizetype programEnd = -1;
    if (text.startsWith(QLatin1Char('/'))) {
        for (qsizetype end = text.size(); end > 0; end = text.lastIndexOf(QLatin1Char(' '), end - 1)) {
            if (QFileInfo(text.left(end)).isFile()) {
                programEnd = end;
                break;
            }
        }
    }
    if (programEnd < 0) {
        programEnd = text.indexOf(QLatin1Char(' '));
        if (programEnd < 0)
            programEnd = text.size();
    }

    const QString program = text.left(programEnd);
    if (program.isEmpty() || program == filePlaceholder)
        return result;
    result.m_program = program;

    bool hasFile = false;
    const QStringList words = text.mid(programEnd).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        if (word == filePlaceholder) {
            result.m_arguments.append(Argument{QString(), true});
            hasFile = true;
        } else {
            result.m_arguments.append(Argument{word, false});
        }
    }
    if (!hasFile)
        result.m_arguments.append(Argument{QString(), true});
    return result;
}

QString ActionCommand::join(QString (*quote)(const QString&), const QString& fileCode) const
{
    QStringList words{quote(m_program)};
    for (const Argument& argument : m_arguments)
        words.append(argument.isFile ? fileCode : quote(argument.text));
    return words.join(QLatin1Char(' '));
}

QString ActionCommand::desktopExec(const QString& fileCode) const
{
    return join(desktopWord, fileCode);
}

QString ActionCommand::kioExec() const
{
    const QString fileCode = QStringLiteral("%f");
    if (!m_program.contains(QLatin1Char('%')) && !m_program.contains(QLatin1Char('=')))
        return desktopExec(fileCode);
    // sh gets the program as $0 and the arguments as $@ and starts it as it is.
    return QStringLiteral("/bin/sh -c ") + desktopWord(QStringLiteral("exec \"$0\" \"$@\"")) +
           QLatin1Char(' ') + desktopExec(fileCode);
}

QString ActionCommand::nemoExec() const
{
    return join(shellWordWithFieldCodes, QStringLiteral("%F"));
}

QString ActionCommand::thunarCommand() const
{
    return join(shellWordWithFieldCodes, QStringLiteral("%f"));
}

QString ActionCommand::scriptCommand(const QString& fileVariable) const
{
    return join(shellQuote, QStringLiteral("\"$%1\"").arg(fileVariable));
}

QString ActionCommand::shellQuote(const QString& text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

QString ActionCommand::desktopQuote(const QString& text)
{
    const bool needsQuotes = text.isEmpty() || std::any_of(text.cbegin(), text.cend(), isReservedInExec);
    if (!needsQuotes)
        return text;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString ActionCommand::escapeKeyFileValue(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            escaped += QStringLiteral("\\s"); // a leading blank would be trimmed when read
        else
            escaped += c;
    }
    return escaped;
}
