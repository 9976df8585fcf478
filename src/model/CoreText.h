// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one crossing between the window's model (standard strings and paths) and the interfaces below it
// that still speak QString (the stored settings). Every such call in the model goes through these helpers,
// so that it compiles whether a function returns QString or std::string: a function converted to the
// standard types needs no change in the model. The engine and the target speak standard types only.
// Only Qt Core is used here; the model's headers include none of it.

#include "platform/CoreBridge.h"
#include "platform/NativePath.h" // the stored settings' application name (WindowOptions)

#include <QLocale>
#include <QString>

#include <filesystem>
#include <string>

namespace CoreText {

inline std::string toStd(const QString& text)
{
    return text.toStdString();
}
inline const std::string& toStd(const std::string& text)
{
    return text;
}

// A text or a path handed on as it is (the engine's and the target's functions take standard types).
inline const std::string& arg(const std::string& text)
{
    return text;
}
inline const std::filesystem::path& arg(const std::filesystem::path& path)
{
    return path;
}

// The locale the window's numbers are written in, as the core's NumberFormat.
inline NumberFormat numberFormat()
{
    return CoreBridge::numberFormat(QLocale());
}

} // namespace CoreText
