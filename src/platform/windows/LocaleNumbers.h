// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NumberFormat.h"

#include <string>

namespace LocaleNumbers {

// How the user's locale (as set in Windows' regional settings) writes numbers.
NumberFormat user();
// How the locale named localeName ("de-DE", "en-US") writes them; the C locale's way, the defaults of
// NumberFormat, for a locale the system does not know.
NumberFormat of(const std::string& localeName);

} // namespace LocaleNumbers
