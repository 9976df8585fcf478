#include "platform/gui/LinuxDesktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>
#include <QProcess>
#include <QStandardPaths>

namespace {

// xdg-mime only reads a few files, but on some desktops it asks a helper program; a hung helper must
// not freeze the window for long.
constexpr int QueryTimeoutMs = 5000;

} // namespace

LinuxDesktop::LinuxDesktop()
    : LinuxDesktop(QStringLiteral("xdg-mime"), [](const QUrl& url) { return QDesktopServices::openUrl(url); })
{}

LinuxDesktop::LinuxDesktop(const QString& xdgMimeProgram, Opener opener)
    : m_xdgMime(xdgMimeProgram)
    , m_opener(std::move(opener))
{}

bool LinuxDesktop::openDocument(const QString& path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
    const bool isHtml = type.inherits(QStringLiteral("text/html"));
    if (!isHtml && registeredProgram(type).isEmpty())
        return false;
    return m_opener(QUrl::fromLocalFile(file.absoluteFilePath()));
}

QString LinuxDesktop::registeredProgram(const QMimeType& type) const
{
    if (!type.isValid())
        return QString();
    // A desktop file may list the type under an alias (e.g. application/x-chm for
    // application/vnd.ms-htmlhelp); xdg-mime compares the names literally.
    QStringList names{type.name()};
    names += type.aliases();
    for (const QString& name : names) {
        const QString program = queryDefault(name);
        if (!program.isEmpty())
            return program;
    }
    return QString();
}

// Runs "xdg-mime query default mimeTypeName". Returns the desktop file it prints, or empty when it
// prints none, fails, is missing or runs too long (it is then killed).
QString LinuxDesktop::queryDefault(const QString& mimeTypeName) const
{
    const QString program = QStandardPaths::findExecutable(m_xdgMime);
    if (program.isEmpty())
        return QString();
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("query"), QStringLiteral("default"), mimeTypeName});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(QueryTimeoutMs))
        return QString();
    if (!process.waitForFinished(QueryTimeoutMs)) {
        process.kill();
        process.waitForFinished(QueryTimeoutMs);
        return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    const QString answer = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    // Only a desktop file name counts; some versions print nothing or a message when none is set.
    if (answer.contains(QLatin1Char('\n')) || !answer.endsWith(QStringLiteral(".desktop")))
        return QString();
    return answer;
}
