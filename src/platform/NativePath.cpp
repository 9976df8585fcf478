// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NativePath.h"

#include "platform/PathDisplay.h"

#include <QUrl>

#include <string>

namespace {

constexpr char16_t EscapeBase = 0xDC00;

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
    std::string text;
    text.reserve(std::size_t(path.size()) * 3);
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (const int escaped = escapedByte(c); escaped >= 0) {
            text += char(escaped);
        } else if (c.isHighSurrogate() && i + 1 < path.size() && path.at(i + 1).isLowSurrogate()) {
            PathDisplay::appendUtf8(text, QChar::surrogateToUcs4(c, path.at(i + 1)));
            ++i;
        } else if (c.isSurrogate()) {
            valid = false; // stands for no byte and no character
        } else {
            PathDisplay::appendUtf8(text, c.unicode());
        }
    }
    if (ok)
        *ok = valid;
    return QByteArray::fromStdString(text);
}

QString fromNative(const QByteArray& bytes)
{
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const int length = PathDisplay::utf8Sequence(view, std::size_t(at), codePoint);
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
    // A stray half of a pair stands for no byte: no font can draw it, so it shows as U+FFFD.
    QString mended = path;
    for (qsizetype i = 0; i < mended.size(); ++i) {
        const QChar c = mended.at(i);
        if (c.isHighSurrogate() && i + 1 < mended.size() && mended.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate() && escapedByte(c) < 0)
            mended[i] = QChar(QChar::ReplacementCharacter);
    }
    return QString::fromStdString(PathDisplay::displayText(toNative(mended).toStdString()));
}

} // namespace NativePath
