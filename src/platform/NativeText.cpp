// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NativeText.h"

#include "platform/PathDisplay.h"

#include <algorithm>
#include <type_traits>

namespace NativeText {

namespace {

constexpr char32_t Replacement = 0xFFFD;

void appendUtf16(std::wstring& out, char32_t code)
{
    if (code < 0x10000) {
        out += wchar_t(code);
    } else {
        code -= 0x10000;
        out += wchar_t(0xD800 + (code >> 10));
        out += wchar_t(0xDC00 + (code & 0x3FF));
    }
}

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string fromUtf16(std::wstring_view units)
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = char32_t(units[i]) & 0xFFFF;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size()) {
            const char32_t low = char32_t(units[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low < 0xE000) {
                PathDisplay::appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        PathDisplay::appendUtf8(out, unit); // a lone surrogate too: its three bytes bring it back
    }
    return out;
}

std::wstring toUtf16(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = byte < 0x80    ? 1
                                   : byte >= 0xF0 ? 4
                                   : byte >= 0xE0 ? 3
                                   : byte >= 0xC0 ? 2
                                                  : 0;
        char32_t code = length == 1   ? byte
                        : length == 2 ? byte & 0x1F
                        : length == 3 ? byte & 0x0F
                                      : byte & 0x07;
        bool valid = length != 0 && length <= 4 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms and values beyond Unicode are no names of any file: they become U+FFFD.
        static constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || code < Least[length] || code > 0x10FFFF) {
            appendUtf16(out, Replacement);
            ++i;
            continue;
        }
        appendUtf16(out, code);
        i += length;
    }
    return out;
}

namespace {

template <class Char>
std::string bytesOf(const std::basic_string<Char>& native)
{
    if constexpr (sizeof(Char) == 1)
        return native;
    else
        return fromUtf16(native);
}

} // namespace

std::string bytes(const std::filesystem::path& path)
{
    return bytesOf(path.native());
}

std::filesystem::path path(std::string_view bytes)
{
    if constexpr (std::is_same_v<std::filesystem::path::value_type, char>)
        return std::filesystem::path(std::string(bytes));
    else
        return std::filesystem::path(toUtf16(bytes));
}

bool isSeparator(char c)
{
    return c == '/' || (WindowsPaths && c == '\\');
}

std::size_t rootLength(std::string_view text)
{
    if constexpr (!WindowsPaths)
        return text.starts_with('/') ? 1 : 0;
    if (text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1])) {
        // "\\?\C:\..." and "\\.\C:\...": the prefix, then the drive's root.
        if (text.size() >= 4 && (text[2] == '?' || text[2] == '.') && isSeparator(text[3])) {
            const std::size_t rest = rootLength(text.substr(4));
            return 4 + (rest == 0 ? 0 : rest);
        }
        // "\\server\share\": up to and with the separator after the share.
        std::size_t end = 2;
        for (int part = 0; part < 2 && end < text.size(); ++part) {
            while (end < text.size() && !isSeparator(text[end]))
                ++end;
            if (end < text.size())
                ++end;
        }
        return end;
    }
    if (text.size() >= 2 && isDriveLetter(text[0]) && text[1] == ':')
        return text.size() >= 3 && isSeparator(text[2]) ? 3 : 2;
    return !text.empty() && isSeparator(text[0]) ? 1 : 0;
}

bool isAbsolute(std::string_view text)
{
    const std::size_t root = rootLength(text);
    if constexpr (!WindowsPaths)
        return root == 1;
    if (text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1]))
        return true;
    // "\x" and "C:x" still depend on the working folder's drive or folder.
    return root >= 3 && isSeparator(text[root - 1]);
}

std::string withoutTrailingSeparators(std::string_view text)
{
    std::size_t end = text.size();
    const std::size_t least = std::max<std::size_t>(rootLength(text), 1);
    while (end > least && isSeparator(text[end - 1]))
        --end;
    return std::string(text.substr(0, end));
}

std::size_t lastSeparator(std::string_view text)
{
    for (std::size_t i = text.size(); i-- > 0;) {
        if (isSeparator(text[i]))
            return i;
    }
    return std::string_view::npos;
}

std::string parentFolder(std::string_view text)
{
    const std::string trimmed = withoutTrailingSeparators(text);
    const std::size_t root = rootLength(trimmed);
    const std::size_t separator = lastSeparator(trimmed);
    if (separator == std::string::npos || root == trimmed.size())
        return {};
    return withoutTrailingSeparators(std::string_view(trimmed).substr(0, std::max(separator + 1, root)));
}

std::string joined(std::string_view folder, std::string_view name)
{
    if (folder.empty() || isAbsolute(name))
        return std::string(name);
    std::string result(folder);
    if (!isSeparator(result.back()))
        result += Separator;
    return result + std::string(name);
}

} // namespace NativeText
