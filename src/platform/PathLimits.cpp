// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathLimits.h"

namespace PathLimits {

namespace {

// The length the system counts: bytes on Linux, UTF-16 units on Windows.
std::size_t systemLength(std::string_view bytes)
{
    if constexpr (NativeText::WindowsPaths)
        return NativeText::toUtf16(bytes).size();
    return bytes.size();
}

} // namespace

Limit limitExceeded(std::string_view bytes)
{
    if (systemLength(bytes) + 1 > PathMax)
        return Limit::PathTooLong;
    for (std::size_t begin = 0; begin <= bytes.size();) {
        std::size_t end = begin;
        while (end < bytes.size() && !NativeText::isSeparator(bytes[end]))
            ++end;
        if (systemLength(bytes.substr(begin, end - begin)) > NameMax)
            return Limit::NameTooLong;
        begin = end + 1;
    }
    return Limit::None;
}

} // namespace PathLimits
