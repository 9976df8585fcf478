// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ActionCommand.h"

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

std::optional<ActionCommand> ActionCommand::fromValue(const QString& program, const QString& value)
{
    if (program.isEmpty() || !value.startsWith(program) ||
        (value.size() > program.size() && value.at(program.size()) != QLatin1Char(' ')))
        return std::nullopt;
    ActionCommand result(program, {});
    bool hasFile = false;
    const QStringList words = value.mid(program.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        const bool isFile = word == filePlaceholder;
        result.m_arguments.append(Argument{isFile ? QString() : word, isFile});
        hasFile = hasFile || isFile;
    }
    if (!hasFile)
        result.m_arguments.append(Argument{QString(), true});
    return result;
}

ActionCommand ActionCommand::textOnly() const
{
    QString escaped; // for printf's %b: a byte as \0ooo, a backslash doubled
    bool hasBytes = false;
    for (const QChar c : m_program) {
        if (c.unicode() >= 0xdc80 && c.unicode() <= 0xdcff) {
            escaped += QStringLiteral("\\0%1").arg(c.unicode() - 0xdc00, 3, 8, QLatin1Char('0'));
            hasBytes = true;
        } else {
            escaped += c == QLatin1Char('\\') ? QStringLiteral("\\\\") : QString(c);
        }
    }
    if (!hasBytes)
        return *this;
    // The "x" keeps a trailing line break of the path from being cut by the command substitution.
    QList<Argument> arguments{{QStringLiteral("-c"), false},
                              {QStringLiteral("p=$(printf '%bx' \"$0\"); exec \"${p%x}\" \"$@\""), false},
                              {escaped, false}};
    arguments.append(m_arguments);
    return ActionCommand(QStringLiteral("/bin/sh"), arguments);
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

QString ActionCommand::desktopExecEach(const QString& listCode) const
{
    // sh gets the files as $1, $2, ...; "sh" stands in $0, the name it reports errors under. It waits for
    // the starts, as the scripts of Nautilus and Caja do.
    const QString script = QStringLiteral("for f do %1 & done; wait").arg(scriptCommand(QStringLiteral("f")));
    return ActionCommand(
               QStringLiteral("/bin/sh"),
               {{QStringLiteral("-c"), false}, {script, false}, {QStringLiteral("sh"), false}, {{}, true}})
        .desktopExec(listCode);
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
