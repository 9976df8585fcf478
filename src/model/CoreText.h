// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What is left of the crossing between the window's model and the layers below it: the engine, the target,
// the shell and the stored settings speak standard types only; the locale the numbers are written in still
// comes from Qt Core. The model's headers include none of it.

#include "platform/CoreBridge.h"

#include <QLocale>

#include <filesystem>
#include <string>

namespace CoreText {

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
