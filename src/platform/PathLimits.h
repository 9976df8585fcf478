// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NativeText.h"

#include <cstddef>
#include <string_view>

// The system's limits on a path, which a path must stay within to reach a system call in one piece: on
// Linux the kernel's, in bytes; on Windows those of a long-path-aware program, in UTF-16 units.
namespace PathLimits {

// A whole path including its terminating NUL, and one name in it.
inline constexpr std::size_t PathMax = NativeText::WindowsPaths ? 32767 : 4096;
inline constexpr std::size_t NameMax = 255;
// For the texts that name them.
inline constexpr const char* SystemName = NativeText::WindowsPaths ? "Windows" : "Linux";
inline constexpr const char* PathMaxText =
    NativeText::WindowsPaths ? "32.766\u00A0Zeichen" : "4095\u00A0Bytes";
inline constexpr const char* NameMaxText = NativeText::WindowsPaths ? "255\u00A0Zeichen" : "255\u00A0Bytes";

enum class Limit {
    None,
    PathTooLong, // PathMax or more, terminator included
    NameTooLong, // one name of it is longer than NameMax
};

// What keeps the path of these bytes (NativeText::bytes) from reaching a system call in one piece.
Limit limitExceeded(std::string_view bytes);

} // namespace PathLimits
