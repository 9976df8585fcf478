// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ThunarActions.h"

#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString actionsTag = QStringLiteral("actions");
const QString actionTag = QStringLiteral("action");
const QString uniqueIdTag = QStringLiteral("unique-id");

// Thunar writes its declaration as <?xml encoding="UTF-8" version="1.0"?>, which a conforming parser
// refuses (version must come first). Thunar itself ignores the declaration, so do we: it is cut off
// here and a correct one is written back.
QByteArray withoutDeclaration(const QByteArray& xml)
{
    static const QRegularExpression declaration(QStringLiteral("^\\x{FEFF}?\\s*<\\?xml\\s[^?]*\\?>\\s*"));
    const QString text = QString::fromUtf8(xml);
    const QRegularExpressionMatch match = declaration.match(text);
    if (!match.hasMatch())
        return xml;
    return text.mid(match.capturedEnd()).toUtf8();
}

// The unique-id of the <action> element the reader stands on; reads to its end.
QString readUniqueId(QXmlStreamReader& reader)
{
    QString id;
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (depth == 1 && reader.name() == uniqueIdTag)
                id = reader.readElementText(QXmlStreamReader::IncludeChildElements)
                         .trimmed(); // reads past its end
            else
                ++depth;
        } else if (reader.isEndElement()) {
            --depth;
        }
    }
    return id;
}

// Positions (in document order) of the <action> children of <actions> with the unique-id. False when the
// document is not well-formed or its root is not <actions>.
bool findActions(const QByteArray& xml, const QString& uniqueId, QSet<int>& found)
{
    QXmlStreamReader reader(xml);
    int depth = 0;
    int position = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            ++depth;
            if (depth == 1 && reader.name() != actionsTag)
                return false;
            if (depth == 2 && reader.name() == actionTag) {
                if (readUniqueId(reader) == uniqueId)
                    found.insert(position);
                ++position;
                --depth;
            }
        } else if (reader.isEndElement()) {
            --depth;
        }
    }
    return !reader.hasError();
}

void writeAction(QXmlStreamWriter& writer, const ThunarActions::Action& action)
{
    const auto field = [&writer](const QString& name, const QString& text) {
        writer.writeCharacters(QStringLiteral("\n\t"));
        writer.writeTextElement(name, text);
    };
    writer.writeCharacters(QStringLiteral("\n"));
    writer.writeStartElement(actionTag);
    field(QStringLiteral("icon"), action.icon);
    field(QStringLiteral("name"), action.name);
    field(uniqueIdTag, action.uniqueId);
    field(QStringLiteral("command"), action.command);
    field(QStringLiteral("description"), action.description);
    field(QStringLiteral("patterns"), QStringLiteral("*"));
    // Every kind of file, no folders: the entry is for files only.
    writer.writeCharacters(QStringLiteral("\n\t"));
    for (const char* kind : {"audio-files", "image-files", "other-files", "text-files", "video-files"})
        writer.writeEmptyElement(QString::fromLatin1(kind));
    writer.writeCharacters(QStringLiteral("\n"));
    writer.writeEndElement();
}

} // namespace

QString ThunarActions::idPrefix()
{
    return QStringLiteral("tilgomatic-");
}

QByteArray ThunarActions::emptyDocument()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");
}

std::optional<ThunarActions::Merged> ThunarActions::merge(const QByteArray& xml, const QString& uniqueId,
                                                          const std::optional<Action>& replacement)
{
    const QByteArray source = withoutDeclaration(xml);
    QSet<int> oldOurs;
    if (!findActions(source, uniqueId, oldOurs))
        return std::nullopt;

    Merged merged;
    merged.hadIt = !oldOurs.isEmpty();
    QXmlStreamWriter writer(&merged.xml);
    writer.writeStartDocument();
    writer.writeCharacters(QStringLiteral("\n"));

    QXmlStreamReader reader(source);
    int depth = 0;
    int position = 0;
    // Blanks between the children of <actions> wait until we know whether the next child stays, so that
    // a removed action takes its indentation with it and repeated merges do not pile up blank lines.
    QString pendingBlanks;
    while (!reader.atEnd()) {
        reader.readNext();
        switch (reader.tokenType()) {
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
        case QXmlStreamReader::NoToken:
            break;
        case QXmlStreamReader::Characters:
            if (depth == 0) {
                break; // outside the root only blanks can stand; each prolog item gets its own line
            } else if (depth == 1 && reader.isWhitespace()) {
                pendingBlanks += reader.text();
            } else {
                writer.writeCharacters(pendingBlanks);
                pendingBlanks.clear();
                writer.writeCurrentToken(reader);
            }
            break;
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 2 && reader.name() == actionTag && oldOurs.contains(position++)) {
                pendingBlanks.clear();
                reader.skipCurrentElement();
                --depth;
                break;
            }
            if (depth == 2) {
                writer.writeCharacters(pendingBlanks);
                pendingBlanks.clear();
            }
            writer.writeCurrentToken(reader);
            break;
        case QXmlStreamReader::EndElement:
            if (depth == 1) {
                if (replacement)
                    writeAction(writer, *replacement);
                writer.writeCharacters(QStringLiteral("\n"));
            }
            --depth;
            writer.writeCurrentToken(reader);
            break;
        default:
            if (depth == 1) {
                writer.writeCharacters(pendingBlanks);
                pendingBlanks.clear();
            }
            writer.writeCurrentToken(reader);
            if (depth == 0)
                writer.writeCharacters(QStringLiteral("\n"));
            break;
        }
    }
    writer.writeEndDocument();
    while (merged.xml.endsWith('\n'))
        merged.xml.chop(1);
    merged.xml.append('\n');
    return merged;
}
