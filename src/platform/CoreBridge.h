// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NumberFormat.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QLocale;

// The one crossing between the window's Qt strings and the core's types: a path is the core's
// std::filesystem::path with the exact bytes NativePath keeps in a QString (a byte that is no UTF-8 as a lone
// surrogate), a text is UTF-8 in a std::string.
namespace CoreBridge {

// A string that stands for no path (it holds a lone surrogate that is no escaped byte) gives a path with a
// NUL in it, which every file operation refuses, rather than the shorter path of the bytes it has.
std::filesystem::path toPath(const QString& path);
QString fromPath(const std::filesystem::path& path);
QStringList fromPaths(const std::vector<std::filesystem::path>& paths);
// Each string's bytes, as toPath gives them (the program's arguments as the core takes them).
std::vector<std::string> toNative(const QStringList& texts);

// An invalid QDateTime for none.
QDateTime toDateTime(const std::optional<std::chrono::system_clock::time_point>& time);

std::string toText(const QString& text);
QString fromText(std::string_view text);
QStringList fromTexts(const std::vector<std::string>& texts);

// The locale's decimal and group separators.
NumberFormat numberFormat(const QLocale& locale);

} // namespace CoreBridge
