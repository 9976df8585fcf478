// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NativePath.h"

#include <QUrl>

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
        if (const int escaped = escapedByte(c); escaped >= 0) {
            shown += QStringLiteral("\\x") + QString::number(escaped, 16).toUpper();
        } else if (c.isHighSurrogate() && i + 1 < path.size() && path.at(i + 1).isLowSurrogate()) {
            shown += c;
            shown += path.at(++i);
        } else if (c.isSurrogate()) {
            shown += QChar(QChar::ReplacementCharacter); // a stray half that no font can draw
        } else if (c.category() == QChar::Other_Format) {
            // Invisible (U+FEFF, U+200B) or reordering the text (U+202E): "\uFEFFa.txt" must not pass for
            // "a.txt".
            shown += QStringLiteral("\\u") +
                     QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        } else {
            shown += c;
        }
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
