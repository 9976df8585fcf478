// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CoreBridge.h"

#include <filesystem>
#include <string>

// The core's texts and paths as the tests' Qt strings, and back, through the window's one crossing.
inline QString q(const std::string& text)
{
    return CoreBridge::fromText(text);
}

inline std::string t(const QString& text)
{
    return CoreBridge::toText(text);
}

inline std::filesystem::path p(const QString& path)
{
    return CoreBridge::toPath(path);
}
