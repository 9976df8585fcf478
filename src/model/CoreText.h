// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one crossing between the window's model (standard strings and paths) and the engine's and the
// target's functions, some of which still speak QString. Every such call in the model goes through
// these helpers, so that it compiles whether a function takes or returns QString or std::string: a
// function converted to the standard types needs no change in the model.
// Only Qt Core is used here; the model's headers include none of it.

#include "platform/CoreBridge.h"
#include "platform/NativePath.h"

#include <QLocale>
#include <QString>

#include <filesystem>
#include <string>
#include <utility>

namespace CoreText {

inline std::string toStd(const QString& text)
{
    return text.toStdString();
}
inline const std::string& toStd(const std::string& text)
{
    return text;
}

// A text handed to a function that takes either a QString or a std::string.
class Arg
{
public:
    explicit Arg(std::string text)
        : m_text(std::move(text))
    {}
    operator QString() const { return QString::fromStdString(m_text); }
    operator std::string() const { return m_text; }

private:
    std::string m_text;
};

inline Arg arg(std::string text)
{
    return Arg(std::move(text));
}

// A path handed to a function that takes either the program's QString form of a path (its bytes kept
// by NativePath) or a std::filesystem::path.
class PathArg
{
public:
    explicit PathArg(const std::filesystem::path& path)
        : m_path(path)
    {}
    operator QString() const { return NativePath::fromNative(QByteArray::fromStdString(m_path.native())); }
    operator std::filesystem::path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline PathArg arg(const std::filesystem::path& path)
{
    return PathArg(path);
}

// The locale the window's numbers are written in, for the functions that still take a QLocale and for
// those that take the core's NumberFormat.
inline QLocale locale()
{
    return QLocale();
}
inline NumberFormat numberFormat()
{
    return CoreBridge::numberFormat(QLocale());
}

} // namespace CoreText
