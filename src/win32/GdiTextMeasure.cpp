// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/GdiTextMeasure.h"

#include "platform/NativeText.h"
#include "platform/PathDisplay.h"

namespace {

constexpr std::wstring_view Ellipsis = L"\u2026";

// One code point of a UTF-8 text (or one byte that is no UTF-8) and where it starts.
struct CodePoint
{
    std::size_t offset;
    char32_t value; // U+FFFD for a byte that is no UTF-8
    bool valid;
};

std::vector<CodePoint> codePoints(std::string_view utf8)
{
    std::vector<CodePoint> points;
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t value = 0;
        const int length = PathDisplay::utf8Sequence(utf8, at, value);
        points.push_back({at, length > 0 ? value : U'\uFFFD', length > 0});
        at += length > 0 ? std::size_t(length) : 1;
    }
    return points;
}

// Whether a code point draws onto the one before it rather than on its own.
bool extendsPrevious(const CodePoint& point)
{
    if (!point.valid)
        return false;
    const char32_t c = point.value;
    if (c == 0x200D) // zero-width joiner
        return true;
    if ((c >= 0x1F3FB && c <= 0x1F3FF) || // emoji skin tones
        (c >= 0xE0020 && c <= 0xE007F) || // tag characters
        (c >= 0xE0100 && c <= 0xE01EF))   // variation selectors 17 to 256
        return true;
    if (c > 0xFFFF)
        return false;
    // The system's own class of marks that take no room: combining accents, variation selectors 1 to 16.
    const wchar_t unit = wchar_t(c);
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE3, &unit, 1, &type) && (type & C3_NONSPACING) != 0;
}

} // namespace

GdiTextMeasure::GdiTextMeasure(HFONT font, int boxWidth, int boxHeight, Align align)
    : m_font(font)
    , m_dc(CreateCompatibleDC(nullptr))
    , m_oldFont(SelectObject(m_dc, font))
    , m_boxWidth(boxWidth)
    , m_boxHeight(boxHeight)
    , m_align(align)
{
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(m_dc, &metrics))
        m_lineHeight = int(metrics.tmHeight);
}

GdiTextMeasure::~GdiTextMeasure()
{
    SelectObject(m_dc, m_oldFont);
    DeleteDC(m_dc);
}

UINT GdiTextMeasure::format() const
{
    return DT_WORDBREAK | DT_NOPREFIX | (m_align == Align::Center ? DT_CENTER : DT_LEFT);
}

int GdiTextMeasure::widthOf(std::wstring_view text) const
{
    SIZE size{};
    GetTextExtentPoint32W(m_dc, text.data(), int(text.size()), &size);
    return int(size.cx);
}

int GdiTextMeasure::width(std::string_view utf8) const
{
    return widthOf(NativeText::toUtf16(utf8));
}

SIZE GdiTextMeasure::layout(std::wstring_view text) const
{
    if (text.empty())
        return {0, 0};
    RECT box{0, 0, m_boxWidth, 0};
    DrawTextW(m_dc, text.data(), int(text.size()), &box, format() | DT_CALCRECT);
    return {box.right - box.left, box.bottom - box.top};
}

bool GdiTextMeasure::fitsWhole(std::string_view utf8) const
{
    const SIZE size = layout(NativeText::toUtf16(utf8));
    return size.cx <= m_boxWidth && size.cy <= m_boxHeight;
}

bool GdiTextMeasure::linesFit(std::string_view utf8) const
{
    return layout(NativeText::toUtf16(utf8)).cy <= m_boxHeight;
}

std::vector<std::size_t> GdiTextMeasure::graphemeBoundaries(std::string_view utf8) const
{
    const std::vector<CodePoint> points = codePoints(utf8);
    std::vector<std::size_t> boundaries;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const CodePoint& before = points[i - 1];
        const bool joined = (before.valid && before.value == 0x200D) || extendsPrevious(points[i]) ||
                            (before.valid && before.value == U'\r' && points[i].value == U'\n');
        if (!joined)
            boundaries.push_back(points[i].offset);
    }
    return boundaries;
}

std::string GdiTextMeasure::elideMiddle(std::string_view utf8, int pixels) const
{
    if (width(utf8) <= pixels)
        return std::string(utf8);
    if (widthOf(Ellipsis) > pixels)
        return {};
    // The whole characters, as byte ranges: [cuts[i], cuts[i + 1]).
    std::vector<std::size_t> cuts = graphemeBoundaries(utf8);
    cuts.insert(cuts.begin(), 0);
    cuts.push_back(utf8.size());
    const std::size_t characters = cuts.size() - 1;
    const auto candidate = [&](std::size_t left, std::size_t right) {
        return NativeText::toUtf16(utf8.substr(0, cuts[left])) + std::wstring(Ellipsis) +
               NativeText::toUtf16(utf8.substr(cuts[characters - right]));
    };
    // A character from the start and one from the end at a time while both fit, then one more from the start
    // where it fits alone.
    std::size_t left = 0;
    std::size_t right = 0;
    while (left + right + 2 <= characters && widthOf(candidate(left + 1, right + 1)) <= pixels) {
        ++left;
        ++right;
    }
    if (left + right + 1 <= characters && widthOf(candidate(left + 1, right)) <= pixels)
        ++left;
    return std::string(utf8.substr(0, cuts[left])) + NativeText::fromUtf16(Ellipsis) +
           std::string(utf8.substr(cuts[characters - right]));
}

void GdiTextMeasure::draw(HDC dc, const RECT& box, std::wstring_view text, COLORREF color) const
{
    if (text.empty() || m_lineHeight <= 0)
        return;
    const int lines = (box.bottom - box.top) / m_lineHeight;
    RECT shown = box;
    shown.bottom = box.top + lines * m_lineHeight;
    const HGDIOBJ old = SelectObject(dc, m_font);
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.data(), int(text.size()), &shown, format());
    SelectObject(dc, old);
}
