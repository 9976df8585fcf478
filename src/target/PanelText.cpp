// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/PanelText.h"

#include "Version.h"
#include "platform/NativeText.h"
#include "platform/PathLimits.h"
#include "platform/TextWidth.h"

namespace {

// bytes / 2^shift in the locale with exactly two decimals, no grouping, halves away from zero. Worked
// out in whole hundredths so that the rounding is exact for every 64-bit size (a double would misplace
// some halves and lose digits above 2^53 bytes). shift is at most 50, so rest * 100 stays inside 64 bits.
std::string amount(std::int64_t bytes, int shift, const NumberFormat& format,
                   std::uint64_t* hundredthsOut = nullptr)
{
    const bool negative = bytes < 0;
    // The magnitude in unsigned arithmetic, so that the most negative value does not overflow.
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - std::uint64_t(bytes) : std::uint64_t(bytes);
    const std::uint64_t unit = std::uint64_t(1) << shift;
    const std::uint64_t restHundredths = (magnitude & (unit - 1)) * 100;
    std::uint64_t hundredths = restHundredths >> shift;
    if ((restHundredths & (unit - 1)) * 2 >= unit)
        ++hundredths;
    hundredths += (magnitude >> shift) * 100; // at most 2^53 * 100
    if (hundredthsOut)
        *hundredthsOut = hundredths;

    // hundredths stays below 2^63, so the whole part fits integer().
    std::string fraction = format.integer(std::int64_t(hundredths % 100));
    if (hundredths % 100 < 10)
        fraction.insert(0, 1, '0');
    std::string number = format.integer(std::int64_t(hundredths / 100)) + format.decimalSeparator + fraction;
    if (negative && hundredths != 0)
        number.insert(0, 1, '-');
    return number;
}

} // namespace

namespace PanelText {

// "Tilgomatic", a blank and the version (major.minor of the project's).
std::string windowTitle()
{
    return std::string("Tilgomatic ") + TILGOMATIC_VERSION_MAJOR_MINOR;
}

// The last name of path ("/a/b/c.txt" gives "c.txt", "/a/b/" gives "b"); "" for "" and for "/".
std::string fileName(const std::string& path)
{
    const std::string trimmed = NativeText::withoutTrailingSeparators(path);
    const std::size_t root = NativeText::rootLength(trimmed);
    if (root == trimmed.size() && root > 0)
        return {};
    const std::size_t separator = NativeText::lastSeparator(trimmed);
    return separator == std::string::npos ? trimmed.substr(root) : trimmed.substr(separator + 1);
}

// The folder that holds the last name ("/a/b/c.txt" gives "/a/b", "/c.txt" gives "/", "/a/b/" gives
// "/a"); "" for "", for "/" and for a bare name without folder.
std::string parentFolder(const std::string& path)
{
    return NativeText::parentFolder(path);
}

// The row of the sixteen-row table for exactly this value. Every other value, one that does not fit
// 16 bits included, gives nullopt rather than being cut to 16 bits and landing on a wrong row.
std::optional<std::string> attributeText(int attributeWord)
{
    switch (attributeWord) {
    case 0:
        return std::string("Normal");
    case 1:
        return std::string("Schreibgeschützt");
    case 2:
        return std::string("Versteckt");
    case 3:
        return std::string("Schreibgeschützt, Versteckt");
    case 4:
        return std::string("System");
    case 5:
        return std::string("Schreibgeschützt, System");
    case 6:
        return std::string("System, Versteckt");
    case 7:
        return std::string("Schreibgeschützt, System, Versteckt");
    case 32:
        return std::string("Archiv");
    case 33:
        return std::string("Archiv, Schreibgeschützt");
    case 34:
        return std::string("Archiv, Versteckt");
    case 35:
        return std::string("Archiv, Schreibgeschützt, Versteckt");
    case 36:
        return std::string("Archiv, System");
    case 37:
        return std::string("Archiv, Schreibgeschützt, System");
    case 38:
        return std::string("Archiv, System, Versteckt");
    case 39:
        return std::string("Archiv, Schreibgeschützt, System, Versteckt");
    default:
        return std::nullopt;
    }
}

// "Dateigrösse: " + bytes/1024 in the locale with exactly two decimals, no grouping + " KB", the unit held
// to its number by a no-break space.
std::string sizeText(std::int64_t bytes, const NumberFormat& format)
{
    return "Dateigrösse: " + withUnit(amount(bytes, 10, format), "KB");
}

std::string sizeText(std::int64_t bytes, const NumberFormat& format, const TextWidth& font, int roomPixels)
{
    std::string kilobytes = sizeText(bytes, format);
    if (font.width(kilobytes) <= roomPixels)
        return kilobytes;
    // Counted in 1024s like the KB, in the first unit that brings the number below 1024.
    static const struct
    {
        int shift;
        const char* name;
    } units[] = {{20, "MB"}, {30, "GB"}, {40, "TB"}, {50, "PB"}};
    std::string text;
    for (const auto& unit : units) {
        std::uint64_t hundredths = 0;
        text = "Dateigrösse: " + withUnit(amount(bytes, unit.shift, format, &hundredths), unit.name);
        if (hundredths < std::uint64_t{1024} * 100)
            break;
    }
    return text;
}

// In place of the attribute words when the attributes cannot be read.
std::string unreadableAttributeText()
{
    return std::string("unbekannt");
}

// In place of the size when the length cannot be read (a vanished file, a folder, no access).
std::string unknownSizeText()
{
    return std::string("Dateigrösse: unbekannt");
}

// In place of the red question when the target is no file that can be read.
std::string notDescribableText()
{
    return std::string("Diese Datei ist nicht vorhanden oder kann nicht gelesen werden.");
}

// Nothing is written for such a path: the system calls would refuse it or act on a cut one.
std::string notDescribableText(const std::filesystem::path& path)
{
    switch (PathLimits::limitExceeded(NativeText::bytes(path))) {
    case PathLimits::Limit::PathTooLong:
        return std::string("Der Pfad dieser Datei ist länger, als ") + PathLimits::SystemName +
               " es zulässt (" + PathLimits::PathMaxText + "). Sie kann so nicht gelöscht werden.";
    case PathLimits::Limit::NameTooLong:
        return std::string("Ein Name im Pfad dieser Datei ist länger, als ") + PathLimits::SystemName +
               " es zulässt (" + PathLimits::NameMaxText + "). Sie kann so nicht gelöscht werden.";
    case PathLimits::Limit::None:
        break;
    }
    return notDescribableText();
}

std::string uncheckedOpenersQuestion()
{
    return std::string("Programme anderer Benutzer können für diese Datei nicht geprüft werden. "
                       "Trotzdem unwiderruflich löschen?");
}

// Nothing can be overwritten there, nor can the name be removed.
std::string readOnlyText()
{
    return std::string("Dieser Datenträger ist schreibgeschützt: Die Datei kann hier weder überschrieben "
                       "noch gelöscht werden.");
}

// A folder has attributes, but none of the table's words describes it.
std::string folderAttributeText()
{
    return std::string("Ordner");
}

// Only single files are destroyed: a folder is never offered for deletion.
std::string folderText()
{
    return std::string("Dies ist ein Ordner. Ordner können nicht vernichtet werden, nur einzelne Dateien.");
}

} // namespace PanelText
