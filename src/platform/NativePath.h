// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QUrl;

// The one crossing between the bytes of a Linux path and the Qt side's strings, lossless both ways (the
// core keeps the bytes themselves, in std::filesystem::path; CoreBridge converts through here).
//
// A path is a run of bytes without any encoding of its own. Valid UTF-8 is decoded as such; every byte
// that is not part of valid UTF-8 becomes the lone surrogate U+DC80 + byte, which no valid UTF-8 text
// can produce, and turns back into that byte on the way out. So a Latin-1 name such as "K\xe4se.txt"
// keeps its exact bytes from the command line or a drop to every system call.
namespace NativePath {

// The bytes of path. Sets *ok to false (and returns what it could) when path holds a lone surrogate
// that stands for no byte; a NUL is passed through, the caller decides about it.
QByteArray toNative(const QString& path, bool* ok = nullptr);

// The string for native bytes: valid UTF-8 decoded, every other byte as U+DC80 + byte.
QString fromNative(const QByteArray& bytes);

// The path of a file URL with its exact bytes: a percent-escaped byte that is no UTF-8 ("%E4") is that
// byte, where QUrl's own decoding (toLocalFile) would make it U+FFFD and so name another file. The host
// is not looked at.
QString fromFileUrl(const QUrl& url);

// The arguments after the program's name, each decoded with fromNative.
QStringList arguments(int argc, const char* const* argv);

// path for the eye, so that two names differing only in what cannot be seen still look different:
// each byte that fromNative kept as a surrogate is shown as "\xE4" (two hexadecimal digits), each code
// point that draws nothing or breaks the line (controls such as a line break, line and paragraph
// separators, format characters, every other default-ignorable) as "\u200B", or "\U000E0041" above
// U+FFFF, and a backslash itself as "\\". Only the text shown changes; the path keeps its bytes.
QString displayText(const QString& path);

} // namespace NativePath
