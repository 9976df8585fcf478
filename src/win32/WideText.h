// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The core's UTF-8 texts as the W functions take them, and back. Texts only: paths stay
// std::filesystem::path, whose native form is already UTF-16 here.
namespace WideText {

// Bytes that are no UTF-8 become U+FFFD.
std::wstring fromUtf8(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view wide);

} // namespace WideText
