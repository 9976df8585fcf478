// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/NativePath.h"

// Between the model's UTF-8 texts and paths of bytes and the toolkit's strings.
namespace ViewText {

inline QString qText(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

inline std::string utf8(const QString& text)
{
    return text.toStdString();
}

// The path's exact bytes (see NativePath).
inline std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(NativePath::toNative(path).toStdString());
}

} // namespace ViewText
