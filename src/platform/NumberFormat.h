// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// How the user's locale writes numbers, as far as the texts need it: the window's toolkit fills it in from
// the locale; the defaults are the C locale's. Digits are always 0 to 9.
struct NumberFormat
{
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";

    // value in decimal digits, with the group separator between groups of three when grouped.
    std::string integer(std::int64_t value, bool grouped = false) const;
    // value with exactly decimals digits after the separator, rounded to nearest (halves away from zero),
    // never grouped.
    std::string decimal(double value, int decimals) const;
};

// number and unit joined by a no-break space (U+00A0), so that a line break never separates them.
std::string withUnit(const std::string& number, const std::string& unit);
