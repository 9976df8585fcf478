// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/TargetIntake.h"

#include "platform/CoreBridge.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "target/LongPathName.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The word that the file-manager entry puts in front of the file's path.
const QString ContextMenuWord = QStringLiteral("1% ");

// text without the blanks (code 32 only) at both ends; tabs and other white space stay.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

// path made absolute against workingFolder when it is relative and not empty; otherwise unchanged.
// The text is joined as it stands, without resolving "." or ".." lexically: with symbolic links that
// could name another file than the one the kernel will open.
QString absoluteAgainst(const QString& path, const QString& workingFolder)
{
    if (path.isEmpty() || path.startsWith(u'/') || workingFolder.isEmpty())
        return path;
    if (workingFolder.endsWith(u'/'))
        return workingFolder + path;
    return workingFolder + u'/' + path;
}

// True when host names this machine: empty, "localhost" or its own host name.
bool isThisHost(const QString& host)
{
    return host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

// True when name, holding U+FFFD where a file manager could not decode a byte, may stand for candidate
// (as fromNative gives it: such bytes as escape surrogates). Each U+FFFD stands for itself or for a run of
// one or more such bytes. Matched row by row from the ends, so that a name of many U+FFFD next to a
// neighbour of many such bytes costs its length times the neighbour's, not a search through every split.
bool mayStandFor(QStringView name, QStringView candidate)
{
    const qsizetype count = candidate.size();
    // next[j]: the rest of name after the current character may stand for candidate from j on.
    std::vector<bool> next(count + 1, false), row(count + 1, false);
    next[count] = true;
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name.at(i);
        row[count] = false;
        // Whether candidate from j on begins with a run of escaped bytes after which the rest matches.
        bool escapedRun = false;
        for (qsizetype j = count - 1; j >= 0; --j) {
            const QChar d = candidate.at(j);
            if (c != QChar::ReplacementCharacter) {
                row[j] = d == c && next[j + 1];
                continue;
            }
            // NativePath keeps each undecodable byte as U+DC80 to U+DCFF.
            const bool escaped = d.unicode() >= 0xDC80 && d.unicode() <= 0xDCFF;
            escapedRun = escaped && (next[j + 1] || escapedRun);
            row[j] = (d == QChar::ReplacementCharacter && next[j + 1]) || escapedRun;
        }
        std::swap(row, next);
    }
    return next[0];
}

} // namespace

namespace TargetIntake {

QStringList lookAlikes(const QString& path, FileSystem& fileSystem, const std::atomic<bool>* cancelled)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    if (slash < 0 || !name.contains(QChar::ReplacementCharacter))
        return {};
    const QString folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    // The plain text before the first U+FFFD and after the last one must stand as it is: a cheap test that
    // spares most names of a large folder the full match.
    const QStringView head = QStringView(name).left(name.indexOf(QChar::ReplacementCharacter));
    const QStringView tail = QStringView(name).mid(name.lastIndexOf(QChar::ReplacementCharacter) + 1);
    QStringList found;
    for (const QString& other : CoreBridge::fromPaths(fileSystem.namesIn(CoreBridge::toPath(folder)))) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            break;
        if (other.size() > head.size() + tail.size() && other.startsWith(head) && other.endsWith(tail) &&
            other != name && mayStandFor(name, other))
            found.append(path.left(slash + 1) + other);
    }
    return found;
}

QString ambiguityText(qsizetype count)
{
    if (count == 1)
        return QStringLiteral("Nicht eindeutig: 1 andere Datei passt. Wählen Sie sie oben (Alt+W) oder "
                              "ziehen Sie sie hierher.");
    return QStringLiteral("Nicht eindeutig: %1 Dateien passen. Wählen Sie oben die gemeinte (Alt+W) oder "
                          "ziehen Sie sie hierher.")
        .arg(count);
}

QString lookAlikeScanText()
{
    return QStringLiteral("Einen Moment: Der Ordner wird nach Dateien mit fast gleichem Namen durchsucht.");
}

QString candidateText(const QString& path, qint64 size, const QDateTime& modified, const QLocale& locale,
                      const QFontMetrics& metrics, int width)
{
    // Bytes, not KB: two look-alikes may differ by one byte only.
    QString detail =
        size < 0 ? QStringLiteral("Grösse unbekannt")
                 : (size == 1 ? QStringLiteral("1 Byte") : locale.toString(size) + QStringLiteral(" Bytes"));
    if (modified.isValid())
        detail += QStringLiteral(", ") + locale.toString(modified, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    detail = QStringLiteral("  (%1)").arg(detail);
    const QString name = NativePath::displayText(path.mid(path.lastIndexOf(u'/') + 1));
    return metrics.elidedText(name, Qt::ElideMiddle, std::max(width - metrics.horizontalAdvance(detail), 0)) +
           detail;
}

// The start-up target from the arguments; "" when there is none or the "~" lookup fails.
QString commandLineTarget(const QStringList& arguments, const QString& workingFolder, FileSystem& fileSystem)
{
    QString text = arguments.join(u' ');
    if (text.isEmpty())
        return QString();

    // Only at the very start of the joined text, and only before an absolute path: that is what the
    // file-manager entry passes. Before anything else the word is part of a name ("1% foo" is a file of
    // the working folder, never "foo"); a relative path cannot start with "/", so the rule is exact.
    const bool fromContextMenu = text.startsWith(ContextMenuWord) &&
                                 trimBlanks(text.mid(ContextMenuWord.size())).remove(u'"').startsWith(u'/');

    // On Linux every argument arrives exact, quotes and blanks included. When the text after the word
    // names something as it stands, that is the file the user chose: the cleaning below could name
    // another one ("t.txt " a neighbour "t.txt", 'a"b.txt' a neighbour "ab.txt").
    const QString exact =
        absoluteAgainst(fromContextMenu ? text.mid(ContextMenuWord.size()) : text, workingFolder);
    if (!exact.isEmpty() && !fileSystem.longPathName(CoreBridge::toPath(exact)).empty())
        return exact;

    if (fromContextMenu)
        text.remove(0, ContextMenuWord.size() - 1);

    text = trimBlanks(text);

    // The lookup sees the text with its quotes, so a quoted name with "~" finds nothing. A "~" that
    // reaches us is part of a name (the shell expands the home folder before we start), and the
    // lookup is taken against the working folder like the final path.
    if (text.contains(u'~'))
        text = modLongPathName::GetLongPath(fileSystem, absoluteAgainst(text, workingFolder));

    text.remove(u'"');
    return absoluteAgainst(text, workingFolder);
}

// The first file of this machine among the drop's entries, as a local path; a null QString when the drop
// holds none (text, web addresses, file URLs naming another host). Like a file manager's file list, the
// list is made of this machine's files only; entries of other kinds are not part of it.
QString droppedTarget(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls()) {
        // toLocalFile() turns file://host/p into "//host/p", which Linux reads as "/host/p": a file of
        // this machine that the user never chose. Only our own host may stand in the URL.
        if (!url.isLocalFile() || !isThisHost(url.host()))
            continue;
        // The path's own bytes, "%E4" as the byte 0xE4 (not U+FFFD, which would name another file).
        const QString path = NativePath::fromFileUrl(url);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

} // namespace TargetIntake
