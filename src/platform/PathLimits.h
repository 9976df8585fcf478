// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

// The kernel's limits on a path's bytes, which a path must stay within to reach a system call in one piece.
namespace PathLimits {

// Bytes of a whole path including its terminating NUL, and bytes of one name in it.
inline constexpr std::size_t PathMax = 4096;
inline constexpr std::size_t NameMax = 255;

enum class Limit {
    None,
    PathTooLong, // PathMax bytes or more, terminator included
    NameTooLong, // one name of it is longer than NameMax bytes
};

// What keeps the path of these bytes from reaching a system call in one piece.
Limit limitExceeded(std::string_view bytes);

} // namespace PathLimits
