// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NativePath.h"

#include <QUrl>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at bytes[at], 0 when none starts there. Strict: no overlong form,
// no surrogate, nothing above U+10FFFF, so that every byte that is kept escaped can be told apart.
int validSequenceLength(const QByteArray& bytes, qsizetype at, char32_t& codePoint)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(byte(at + i)))
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

// Appends codePoint (a scalar value: no surrogate, at most U+10FFFF) as UTF-16. QString::fromUcs4 would
// take a leading U+FEFF for a byte-order mark and drop it, and with it three bytes of the name.
void appendCodePoint(QString& text, char32_t codePoint)
{
    if (codePoint < 0x10000) {
        text.append(QChar(char16_t(codePoint)));
        return;
    }
    codePoint -= 0x10000;
    text.append(QChar(char16_t(0xD800 + (codePoint >> 10))));
    text.append(QChar(char16_t(0xDC00 + (codePoint & 0x3FF))));
}

// Appends the UTF-8 form of codePoint, noncharacters and U+FEFF included: every scalar value has exactly
// one, the one fromNative decoded.
void appendUtf8(QByteArray& bytes, char32_t codePoint)
{
    if (codePoint < 0x80) {
        bytes.append(char(codePoint));
    } else if (codePoint < 0x800) {
        bytes.append(char(0xC0 | (codePoint >> 6)));
        bytes.append(char(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        bytes.append(char(0xE0 | (codePoint >> 12)));
        bytes.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
        bytes.append(char(0x80 | (codePoint & 0x3F)));
    } else {
        bytes.append(char(0xF0 | (codePoint >> 18)));
        bytes.append(char(0x80 | ((codePoint >> 12) & 0x3F)));
        bytes.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
        bytes.append(char(0x80 | (codePoint & 0x3F)));
    }
}

// The byte an escape surrogate stands for, or -1 when c is none (only 0x80 to 0xFF are ever escaped).
int escapedByte(QChar c)
{
    const char16_t unit = c.unicode();
    return unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF ? unit - EscapeBase : -1;
}

// codePoint in upper-case hexadecimal, at least digits long.
QString hexDigits(char32_t codePoint, int digits)
{
    return QString::number(codePoint, 16).toUpper().rightJustified(digits, u'0');
}

// Default-ignorable code points that are no format character: they draw nothing either, and a font
// without them may draw nothing as well. Unicode's Default_Ignorable_Code_Point, less the Cf ones.
constexpr std::pair<char32_t, char32_t> IgnorableRanges[] = {
    {0x034F, 0x034F},   // combining grapheme joiner
    {0x115F, 0x1160},   // Hangul fillers
    {0x17B4, 0x17B5},   // Khmer inherent vowels
    {0x180B, 0x180F},   // Mongolian variation selectors and vowel separator
    {0x2065, 0x2065},   // reserved among the invisible operators
    {0x3164, 0x3164},   // Hangul filler
    {0xFE00, 0xFE0F},   // variation selectors
    {0xFFA0, 0xFFA0},   // halfwidth Hangul filler
    {0xFFF0, 0xFFF8},   // reserved before the specials
    {0xE0000, 0xE0FFF}, // tags, variation selectors supplement, reserved
};

// Whether codePoint shows as nothing, or changes how the rest of the line is drawn: every control (the
// line break of "line\nbreak.txt" hides what follows), the line and paragraph separators, every format
// character in any plane (U+FEFF, U+202E, the tags U+E0041 ...) and the other default-ignorables.
bool drawsNothing(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    return std::any_of(
        std::begin(IgnorableRanges), std::end(IgnorableRanges),
        [codePoint](const auto& range) { return codePoint >= range.first && codePoint <= range.second; });
}

} // namespace

namespace NativePath {

QByteArray toNative(const QString& path, bool* ok)
{
    bool valid = true;
    QByteArray bytes;
    bytes.reserve(path.size() * 3);
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (const int escaped = escapedByte(c); escaped >= 0) {
            bytes.append(char(escaped));
        } else if (c.isHighSurrogate() && i + 1 < path.size() && path.at(i + 1).isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(c, path.at(i + 1)));
            ++i;
        } else if (c.isSurrogate()) {
            valid = false; // stands for no byte and no character
        } else {
            appendUtf8(bytes, c.unicode());
        }
    }
    if (ok)
        *ok = valid;
    return bytes;
}

QString fromNative(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const int length = validSequenceLength(bytes, at, codePoint);
        if (length == 0) {
            text.append(QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes.at(at)))));
            ++at;
            continue;
        }
        appendCodePoint(text, codePoint);
        at += length;
    }
    return text;
}

QString fromFileUrl(const QUrl& url)
{
    return fromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QStringList arguments(int argc, const char* const* argv)
{
    QStringList result;
    for (int i = 1; i < argc; ++i)
        result.append(fromNative(QByteArray(argv[i])));
    return result;
}

QString displayText(const QString& path)
{
    QString shown;
    shown.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        char32_t codePoint = c.unicode();
        if (const int escaped = escapedByte(c); escaped >= 0) {
            shown += QStringLiteral("\\x") + hexDigits(char32_t(escaped), 2);
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < path.size() && path.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(c, path.at(i + 1));
            ++i;
        } else if (c.isSurrogate()) {
            shown += QChar(QChar::ReplacementCharacter); // a stray half that no font can draw
            continue;
        }
        if (codePoint == u'\\')
            shown +=
                QStringLiteral("\\\\"); // so that a name spelling "\u200B" is not taken for one holding it
        else if (drawsNothing(codePoint))
            shown += codePoint > 0xFFFF ? QStringLiteral("\\U") + hexDigits(codePoint, 8)
                                        : QStringLiteral("\\u") + hexDigits(codePoint, 4);
        else
            appendCodePoint(shown, codePoint);
    }
    return shown;
}

Limit limitExceeded(const QString& path)
{
    const QByteArray bytes = toNative(path);
    if (bytes.size() + 1 > PathMax)
        return Limit::PathTooLong;
    for (const QByteArray& name : bytes.split('/')) {
        if (name.size() > NameMax)
            return Limit::NameTooLong;
    }
    return Limit::None;
}

} // namespace NativePath
