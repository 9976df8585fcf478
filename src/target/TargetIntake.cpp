// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/TargetIntake.h"

#include "platform/FileSystem.h"
#include "platform/NativeText.h"
#include "platform/PathDisplay.h"
#include "platform/TextWidth.h"
#include "target/LongPathName.h"
#include "target/PanelText.h"

#include <algorithm>
#include <ctime>
#include <string_view>
#include <utility>

namespace {

// The word that the file-manager entry puts in front of the file's path.
constexpr std::string_view ContextMenuWord = "1% ";
// U+FFFD in UTF-8: what a file manager puts for a byte it could not decode.
constexpr std::string_view Replacement = "\xEF\xBF\xBD";

// text without the blanks (code 32 only) at both ends; tabs and other white space stay.
std::string trimBlanks(const std::string& text)
{
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::string withoutQuotes(std::string text)
{
    std::erase(text, '"');
    return text;
}

// path made absolute against workingFolder when it is relative and not empty; otherwise unchanged.
// The text is joined as it stands, without resolving "." or ".." lexically: with symbolic links that
// could name another file than the one the kernel will open.
std::string absoluteAgainst(const std::string& path, const std::string& workingFolder)
{
    if (path.empty() || NativeText::rootLength(path) > 0)
        return path;
    return NativeText::joined(workingFolder, path);
}

// One character of a name: a valid UTF-8 sequence, or a single byte that is part of none (escaped).
struct Unit
{
    std::string_view bytes;
    bool escaped = false;

    bool operator==(const Unit&) const = default;
};

std::vector<Unit> unitsOf(std::string_view name)
{
    std::vector<Unit> units;
    for (std::size_t at = 0; at < name.size();) {
        char32_t codePoint = 0;
        const int length = PathDisplay::utf8Sequence(name, at, codePoint);
        units.push_back(length == 0 ? Unit{name.substr(at, 1), true}
                                    : Unit{name.substr(at, std::size_t(length)), false});
        at += length == 0 ? 1 : std::size_t(length);
    }
    return units;
}

// True when name, holding U+FFFD where a file manager could not decode a byte, may stand for candidate
// (its bytes as they are on disk). Each U+FFFD stands for itself or for a run of one or more bytes that are
// no UTF-8. Matched row by row from the ends, so that a name of many U+FFFD next to a neighbour of many such
// bytes costs its length times the neighbour's, not a search through every split.
bool mayStandFor(const std::vector<Unit>& name, std::string_view candidateBytes)
{
    const std::vector<Unit> candidate = unitsOf(candidateBytes);
    const Unit replacement{Replacement, false};
    const std::size_t count = candidate.size();
    // next[j]: the rest of name after the current character may stand for candidate from j on.
    std::vector<bool> next(count + 1, false), row(count + 1, false);
    next[count] = true;
    for (std::size_t i = name.size(); i-- > 0;) {
        const Unit& c = name[i];
        row[count] = false;
        // Whether candidate from j on begins with a run of escaped bytes after which the rest matches.
        bool escapedRun = false;
        for (std::size_t j = count; j-- > 0;) {
            const Unit& d = candidate[j];
            if (c != replacement) {
                row[j] = d == c && next[j + 1];
                continue;
            }
            escapedRun = d.escaped && (next[j + 1] || escapedRun);
            row[j] = (d == replacement && next[j + 1]) || escapedRun;
        }
        std::swap(row, next);
    }
    return next[0];
}

} // namespace

namespace TargetIntake {

bool mayStandForOthers(const std::filesystem::path& path)
{
    return PanelText::fileName(NativeText::bytes(path)).find(Replacement) != std::string::npos;
}

std::vector<std::filesystem::path> lookAlikes(const std::filesystem::path& path, FileSystem& fileSystem,
                                              const std::atomic<bool>* cancelled)
{
    const std::string bytes = NativeText::bytes(path);
    const std::size_t slash = NativeText::lastSeparator(bytes);
    if (slash == std::string::npos)
        return {};
    const std::string name = bytes.substr(slash + 1);
    const std::vector<Unit> nameUnits = unitsOf(name);
    const auto firstReplacement = std::find(nameUnits.begin(), nameUnits.end(), Unit{Replacement, false});
    if (firstReplacement == nameUnits.end())
        return {};
    const std::string folder = NativeText::withoutTrailingSeparators(bytes.substr(0, slash + 1));
    // The plain text before the first U+FFFD and after the last one must stand as it is: a cheap test that
    // spares most names of a large folder the full match.
    const std::string_view head(name.data(), std::size_t(firstReplacement->bytes.data() - name.data()));
    const auto lastReplacement =
        std::find(nameUnits.rbegin(), nameUnits.rend(), Unit{Replacement, false})->bytes;
    const std::string_view tail(lastReplacement.data() + lastReplacement.size(),
                                std::size_t(name.data() + name.size() - lastReplacement.data()) -
                                    lastReplacement.size());
    std::vector<std::filesystem::path> found;
    for (const std::filesystem::path& otherPath : fileSystem.namesIn(NativeText::path(folder))) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            break;
        const std::string other = NativeText::bytes(otherPath);
        if (other.size() > head.size() + tail.size() && other.starts_with(head) && other.ends_with(tail) &&
            other != name && mayStandFor(nameUnits, other))
            found.push_back(NativeText::path(bytes.substr(0, slash + 1) + other));
    }
    return found;
}

std::string ambiguityText(std::size_t count)
{
    if (count == 1)
        return "Nicht eindeutig: 1 andere Datei passt. Wählen Sie sie oben (Alt+W) oder ziehen Sie sie "
               "hierher.";
    return "Nicht eindeutig: " + std::to_string(count) +
           " Dateien passen. Wählen Sie oben die gemeinte (Alt+W) oder ziehen Sie sie hierher.";
}

std::string lookAlikeScanText()
{
    return "Einen Moment: Der Ordner wird nach Dateien mit fast gleichem Namen durchsucht.";
}

namespace {

// What tells a look-alike apart besides its name: "  (size, time)".
std::string candidateDetail(std::int64_t size,
                            const std::optional<std::chrono::system_clock::time_point>& modified,
                            const NumberFormat& format)
{
    // Bytes, not KB: two look-alikes may differ by one byte only.
    std::string detail = size < 0    ? std::string("Grösse unbekannt")
                         : size == 1 ? std::string("1 Byte")
                                     : format.integer(size, true) + " Bytes";
    if (modified) {
        // Whole seconds, counted down before 1970 as well, in the local time.
        const std::time_t seconds =
            std::chrono::floor<std::chrono::seconds>(*modified).time_since_epoch().count();
        std::tm local{};
        char text[64] = {};
#ifdef _WIN32
        const bool converted = localtime_s(&local, &seconds) == 0;
#else
        const bool converted = localtime_r(&seconds, &local) != nullptr;
#endif
        if (converted && std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local) > 0)
            detail += std::string(", ") + text;
    }
    return "  (" + detail + ")";
}

// The name as the panel shows it.
std::string candidateName(const std::filesystem::path& path)
{
    return PathDisplay::displayText(PanelText::fileName(NativeText::bytes(path)));
}

} // namespace

std::string candidateText(const std::filesystem::path& path, std::int64_t size,
                          const std::optional<std::chrono::system_clock::time_point>& modified,
                          const NumberFormat& format, const TextWidth& font, int width)
{
    const std::string detail = candidateDetail(size, modified, format);
    return font.elideMiddle(candidateName(path), std::max(width - font.width(detail), 0)) + detail;
}

std::string candidateText(const std::filesystem::path& path, std::int64_t size,
                          const std::optional<std::chrono::system_clock::time_point>& modified,
                          const NumberFormat& format)
{
    return candidateName(path) + candidateDetail(size, modified, format);
}

// The start-up target from the arguments; "" when there is none or the "~" lookup fails.
std::filesystem::path commandLineTarget(const std::vector<std::string>& arguments,
                                        const std::filesystem::path& workingFolderPath,
                                        FileSystem& fileSystem)
{
    const std::string workingFolder = NativeText::bytes(workingFolderPath);
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i)
        text += (i == 0 ? "" : " ") + arguments[i];
    if (text.empty())
        return {};

    // Only at the very start of the joined text, and only before an absolute path: that is what the
    // file-manager entry passes. Before anything else the word is part of a name ("1% foo" is a file of
    // the working folder, never "foo"); a relative path cannot start with "/", so the rule is exact.
    const bool fromContextMenu =
        text.starts_with(ContextMenuWord) &&
        NativeText::isAbsolute(withoutQuotes(trimBlanks(text.substr(ContextMenuWord.size()))));

    // On Linux every argument arrives exact, quotes and blanks included. When the text after the word
    // names something as it stands, that is the file the user chose: the cleaning below could name
    // another one ("t.txt " a neighbour "t.txt", 'a"b.txt' a neighbour "ab.txt").
    // On Windows no name holds a quote, and the Explorer's entry quotes every path: the quotes go first,
    // so that a chosen name with "~" ("Kopie~1.txt") is taken as it is, not looked up as a short name.
    std::string asGiven = fromContextMenu ? text.substr(ContextMenuWord.size()) : text;
    if constexpr (NativeText::WindowsPaths)
        asGiven = withoutQuotes(trimBlanks(asGiven));
    const std::string exact = absoluteAgainst(asGiven, workingFolder);
    // In its long form: on Windows a short (8.3) name becomes the name the file is known by.
    if (const std::filesystem::path longForm =
            exact.empty() ? std::filesystem::path() : fileSystem.longPathName(NativeText::path(exact));
        !longForm.empty())
        return longForm;

    if (fromContextMenu)
        text.erase(0, ContextMenuWord.size() - 1);

    text = trimBlanks(text);

    // The lookup sees the text with its quotes, so a quoted name with "~" finds nothing. A "~" that
    // reaches us is part of a name (the shell expands the home folder before we start), and the
    // lookup is taken against the working folder like the final path.
    if (text.find('~') != std::string::npos)
        text = NativeText::bytes(
            modLongPathName::GetLongPath(fileSystem, NativeText::path(absoluteAgainst(text, workingFolder))));

    return NativeText::path(absoluteAgainst(withoutQuotes(text), workingFolder));
}

} // namespace TargetIntake
