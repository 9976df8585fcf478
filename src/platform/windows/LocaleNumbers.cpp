// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/LocaleNumbers.h"

#include "platform/NativeText.h"

#include <windows.h>

#include <optional>

namespace {

// One of the locale's texts in UTF-8; nullopt when the system does not know the locale.
std::optional<std::string> localeText(const wchar_t* locale, LCTYPE type)
{
    // LOCALE_SDECIMAL and LOCALE_STHOUSAND allow at most three characters.
    wchar_t buffer[16] = {};
    const int length = GetLocaleInfoEx(locale, type, buffer, static_cast<int>(std::size(buffer)));
    if (length <= 0)
        return std::nullopt;
    return NativeText::fromUtf16(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

NumberFormat formatOf(const wchar_t* locale)
{
    NumberFormat format;
    // A locale may group without a separator, but never run the decimals into the whole digits.
    if (const auto decimal = localeText(locale, LOCALE_SDECIMAL); decimal && !decimal->empty())
        format.decimalSeparator = *decimal;
    if (const auto group = localeText(locale, LOCALE_STHOUSAND))
        format.groupSeparator = *group;
    return format;
}

} // namespace

NumberFormat LocaleNumbers::user()
{
    return formatOf(LOCALE_NAME_USER_DEFAULT);
}

NumberFormat LocaleNumbers::of(const std::string& localeName)
{
    const std::wstring name = NativeText::toUtf16(localeName);
    return formatOf(name.c_str());
}
