// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/PanelText.h"

#include "Version.h"
#include "platform/NativePath.h"

#include <QFontMetrics>
#include <QLocale>

namespace {

// path without its trailing separators, unless it is made of separators only.
QString withoutTrailingSeparators(const QString& path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    return path.left(end);
}

// bytes / 2^shift in the locale with exactly two decimals, no grouping, halves away from zero. Worked
// out in whole hundredths so that the rounding is exact for every 64-bit size (a double would misplace
// some halves and lose digits above 2^53 bytes). shift is at most 50, so rest * 100 stays inside 64 bits.
QString amount(qint64 bytes, int shift, const QLocale& locale, quint64* hundredthsOut = nullptr)
{
    const bool negative = bytes < 0;
    // The magnitude in unsigned arithmetic, so that the most negative value does not overflow.
    const quint64 magnitude = negative ? quint64(0) - quint64(bytes) : quint64(bytes);
    const quint64 unit = quint64(1) << shift;
    const quint64 restHundredths = (magnitude & (unit - 1)) * 100;
    quint64 hundredths = restHundredths >> shift;
    if ((restHundredths & (unit - 1)) * 2 >= unit)
        ++hundredths;
    hundredths += (magnitude >> shift) * 100; // at most 2^53 * 100
    if (hundredthsOut)
        *hundredthsOut = hundredths;

    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString fraction = plain.toString(hundredths % 100);
    if (hundredths % 100 < 10)
        fraction.prepend(plain.zeroDigit());
    QString number = plain.toString(hundredths / 100) + plain.decimalPoint() + fraction;
    if (negative && hundredths != 0)
        number.prepend(plain.negativeSign());
    return number;
}

} // namespace

namespace PanelText {

// "Tilgomatic", a blank and the version (major.minor of the project's).
QString windowTitle()
{
    return QStringLiteral("Tilgomatic") + u' ' + QStringLiteral(TILGOMATIC_VERSION_MAJOR_MINOR);
}

// The last name of path ("/a/b/c.txt" gives "c.txt", "/a/b/" gives "b"); "" for "" and for "/".
QString fileName(const QString& path)
{
    const QString trimmed = withoutTrailingSeparators(path);
    if (trimmed == u"/")
        return QString();
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

// The folder that holds the last name ("/a/b/c.txt" gives "/a/b", "/c.txt" gives "/", "/a/b/" gives
// "/a"); "" for "", for "/" and for a bare name without folder.
QString parentFolder(const QString& path)
{
    const QString trimmed = withoutTrailingSeparators(path);
    const qsizetype separator = trimmed.lastIndexOf(u'/');
    if (separator < 0 || trimmed == u"/")
        return QString();
    return withoutTrailingSeparators(trimmed.left(separator + 1));
}

// The row of the sixteen-row table for exactly this value. Every other value, one that does not fit
// 16 bits included, gives nullopt rather than being cut to 16 bits and landing on a wrong row.
std::optional<QString> attributeText(int attributeWord)
{
    switch (attributeWord) {
    case 0:
        return QStringLiteral("Normal");
    case 1:
        return QStringLiteral("Schreibgeschützt");
    case 2:
        return QStringLiteral("Versteckt");
    case 3:
        return QStringLiteral("Schreibgeschützt, Versteckt");
    case 4:
        return QStringLiteral("System");
    case 5:
        return QStringLiteral("Schreibgeschützt, System");
    case 6:
        return QStringLiteral("System, Versteckt");
    case 7:
        return QStringLiteral("Schreibgeschützt, System, Versteckt");
    case 32:
        return QStringLiteral("Archiv");
    case 33:
        return QStringLiteral("Archiv, Schreibgeschützt");
    case 34:
        return QStringLiteral("Archiv, Versteckt");
    case 35:
        return QStringLiteral("Archiv, Schreibgeschützt, Versteckt");
    case 36:
        return QStringLiteral("Archiv, System");
    case 37:
        return QStringLiteral("Archiv, Schreibgeschützt, System");
    case 38:
        return QStringLiteral("Archiv, System, Versteckt");
    case 39:
        return QStringLiteral("Archiv, Schreibgeschützt, System, Versteckt");
    default:
        return std::nullopt;
    }
}

// "Dateigrösse: " + bytes/1024 in the locale with exactly two decimals, no grouping + " KB", the unit held
// to its number by a no-break space.
QString sizeText(qint64 bytes, const QLocale& locale)
{
    return QStringLiteral("Dateigrösse: ") + amount(bytes, 10, locale) + QStringLiteral("\u00A0KB");
}

QString sizeText(qint64 bytes, const QLocale& locale, const QFontMetrics& metrics, int roomPixels)
{
    const QString kilobytes = sizeText(bytes, locale);
    if (metrics.horizontalAdvance(kilobytes) <= roomPixels)
        return kilobytes;
    // Counted in 1024s like the KB, in the first unit that brings the number below 1024.
    static const struct
    {
        int shift;
        const char* name;
    } units[] = {{20, "MB"}, {30, "GB"}, {40, "TB"}, {50, "PB"}};
    QString text;
    for (const auto& unit : units) {
        quint64 hundredths = 0;
        text = QStringLiteral("Dateigrösse: ") + amount(bytes, unit.shift, locale, &hundredths) + u'\u00A0' +
               QLatin1String(unit.name);
        if (hundredths < quint64{1024} * 100)
            break;
    }
    return text;
}

// In place of the attribute words when the attributes cannot be read.
QString unreadableAttributeText()
{
    return QStringLiteral("unbekannt");
}

// In place of the size when the length cannot be read (a vanished file, a folder, no access).
QString unknownSizeText()
{
    return QStringLiteral("Dateigrösse: unbekannt");
}

// In place of the red question when the target is no file that can be read.
QString notDescribableText()
{
    return QStringLiteral("Diese Datei ist nicht vorhanden oder kann nicht gelesen werden.");
}

// Nothing is written for such a path: the system calls would refuse it or act on a cut one.
QString notDescribableText(const QString& path)
{
    switch (NativePath::limitExceeded(path)) {
    case NativePath::Limit::PathTooLong:
        return QStringLiteral("Der Pfad dieser Datei ist länger, als Linux es zulässt (4095\u00A0Bytes). "
                              "Sie kann so nicht gelöscht werden.");
    case NativePath::Limit::NameTooLong:
        return QStringLiteral(
            "Ein Name im Pfad dieser Datei ist länger, als Linux es zulässt (255\u00A0Bytes). "
            "Sie kann so nicht gelöscht werden.");
    case NativePath::Limit::None:
        break;
    }
    return notDescribableText();
}

QString uncheckedOpenersQuestion()
{
    return QStringLiteral("Programme anderer Benutzer können für diese Datei nicht geprüft werden. "
                          "Trotzdem unwiderruflich löschen?");
}

// Nothing can be overwritten there, nor can the name be removed.
QString readOnlyText()
{
    return QStringLiteral("Dieser Datenträger ist schreibgeschützt: Die Datei kann hier weder überschrieben "
                          "noch gelöscht werden.");
}

// A folder has attributes, but none of the table's words describes it.
QString folderAttributeText()
{
    return QStringLiteral("Ordner");
}

// Only single files are destroyed: a folder is never offered for deletion.
QString folderText()
{
    return QStringLiteral(
        "Dies ist ein Ordner. Ordner können nicht vernichtet werden, nur einzelne Dateien.");
}

} // namespace PanelText
