// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/TargetIntake.h"

#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "target/LongPathName.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

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
// (as fromNative gives it: such bytes as escape surrogates). Names are short, so plain recursion does.
bool mayStandFor(QStringView name, QStringView candidate)
{
    if (name.isEmpty())
        return candidate.isEmpty();
    if (name.front() != QChar::ReplacementCharacter)
        return !candidate.isEmpty() && candidate.front() == name.front() &&
               mayStandFor(name.mid(1), candidate.mid(1));
    if (!candidate.isEmpty() && candidate.front() == QChar::ReplacementCharacter &&
        mayStandFor(name.mid(1), candidate.mid(1)))
        return true;
    // One or more undecodable bytes: NativePath keeps each as U+DC80 to U+DCFF.
    for (qsizetype i = 0;
         i < candidate.size() && candidate.at(i).unicode() >= 0xDC80 && candidate.at(i).unicode() <= 0xDCFF;
         ++i)
        if (mayStandFor(name.mid(1), candidate.mid(i + 1)))
            return true;
    return false;
}

} // namespace

namespace TargetIntake {

QStringList lookAlikes(const QString& path, FileSystem& fileSystem)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    if (slash < 0 || !name.contains(QChar::ReplacementCharacter))
        return {};
    const QString folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    QStringList found;
    for (const QString& other : fileSystem.namesIn(folder)) {
        if (other != name && mayStandFor(name, other))
            found.append(path.left(slash + 1) + other);
    }
    return found;
}

QString ambiguityText(const QString& lookAlike)
{
    return QStringLiteral("Nicht eindeutig, auch „%1“ passt. Ziehen Sie die gemeinte Datei hierher.")
        .arg(lookAlike);
}

// The start-up target from the arguments; "" when there is none or the "~" lookup fails.
QString commandLineTarget(const QStringList& arguments, const QString& workingFolder, FileSystem& fileSystem)
{
    QString text = arguments.join(u' ');
    if (text.isEmpty())
        return QString();

    // Only at the very start of the joined text: that is where the file-manager entry puts it.
    const bool fromContextMenu = text.startsWith(ContextMenuWord);

    // On Linux every argument arrives exact, quotes and blanks included. When the text after the word
    // names something as it stands, that is the file the user chose: the cleaning below could name
    // another one ("t.txt " a neighbour "t.txt", 'a"b.txt' a neighbour "ab.txt").
    const QString exact =
        absoluteAgainst(fromContextMenu ? text.mid(ContextMenuWord.size()) : text, workingFolder);
    if (!exact.isEmpty() && !fileSystem.longPathName(exact).isEmpty())
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
