// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumberFormat.h"

#include <cmath>
#include <cstdio>

std::string NumberFormat::integer(std::int64_t value, bool grouped) const
{
    // The magnitude as unsigned, so that the smallest value has one too.
    const std::uint64_t magnitude = value < 0 ? ~std::uint64_t(value) + 1 : std::uint64_t(value);
    const std::string digits = std::to_string(magnitude);
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (grouped && i > 0 && (digits.size() - i) % 3 == 0)
            text += groupSeparator;
        text += digits[i];
    }
    return text;
}

std::string NumberFormat::decimal(double value, int decimals) const
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    if (decimals < 0)
        decimals = 0;
    // The exact decimal digits of the double (every double's fraction ends within 1074 places; 1100 is
    // plenty for the values the texts show), then rounded by hand: printf would round a half to even.
    const bool negative = std::signbit(value);
    char buffer[1500];
    const int length = std::snprintf(buffer, sizeof buffer, "%.1100f", std::fabs(value));
    std::string exact(buffer, length > 0 && length < int(sizeof buffer) ? std::size_t(length) : 0);
    const std::size_t point = exact.find('.');
    if (point == std::string::npos)
        return exact;
    std::string whole = exact.substr(0, point);
    std::string fraction = exact.substr(point + 1);
    const bool roundUp = std::size_t(decimals) < fraction.size() && fraction[std::size_t(decimals)] >= '5';
    fraction.resize(std::size_t(decimals));
    std::string digits = whole + fraction;
    if (roundUp) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    whole = digits.substr(0, digits.size() - std::size_t(decimals));
    fraction = digits.substr(digits.size() - std::size_t(decimals));
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string text = negative && !zero ? "-" : "";
    text += whole;
    if (decimals > 0)
        text += decimalSeparator + fraction;
    return text;
}

std::string withUnit(const std::string& number, const std::string& unit)
{
    return number + "\u00A0" + unit;
}
