// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathLimits.h"

namespace PathLimits {

Limit limitExceeded(std::string_view bytes)
{
    if (bytes.size() + 1 > PathMax)
        return Limit::PathTooLong;
    for (std::size_t begin = 0; begin <= bytes.size();) {
        std::size_t end = bytes.find('/', begin);
        if (end == std::string_view::npos)
            end = bytes.size();
        if (end - begin > NameMax)
            return Limit::NameTooLong;
        begin = end + 1;
    }
    return Limit::None;
}

} // namespace PathLimits
