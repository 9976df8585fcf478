#include "shell/BrowseFolders.h"

#include "platform/gui/BrowseDialog.h"
#include "target/CompactPath.h"
#include "target/PanelText.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>

namespace {

const QString StatusPrefix = QStringLiteral("Auswahl: ");
constexpr int StatusAllowance = 80; // pixels the shortened path may exceed the line less the prefix
const QString StatusMarker = QStringLiteral("$");

} // namespace

namespace modBrowseFolders {

QString itemPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return QString();
    return QDir::cleanPath(info.absoluteFilePath());
}

QString startFolder(const QString& targetPath)
{
    const QString folder = PanelText::parentFolder(targetPath);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return QDir::homePath();
}

QString statusText(const QFontMetrics& metrics, const QString& selectedPath, int statusLineWidth,
                   int prefixWidth)
{
    if (selectedPath.isEmpty())
        return QString();
    const int pixels = statusLineWidth - prefixWidth + StatusAllowance;
    return StatusPrefix + modCompactPath::compactToPixels(metrics, selectedPath, pixels);
}

QString statusText(const QFontMetrics& metrics, const QString& selectedPath, int statusLineWidth)
{
    return statusText(metrics, selectedPath, statusLineWidth, metrics.horizontalAdvance(StatusPrefix));
}

// Builds the request from the arguments and shows the dialog. The root and the start path pass only
// when they name an existing item (otherwise the tree starts at "/" and nothing is selected). The
// status line is measured and drawn in the font the toolkit gives labels.
QString BrowseForFolder(BrowseDialog& dialog, const QString& title, const QString& startPath, QWidget* owner,
                        bool statusLine, const std::optional<QString>& root, bool newStyle, bool includeFiles)
{
    BrowseDialog::Request request;
    request.owner = owner;
    if (root)
        request.rootPath = itemPath(*root);
    // "$" would be taken for the status line's marker; the title then shows empty.
    request.title = statusLine && title == StatusMarker ? QString() : title;
    request.statusLine = statusLine;
    request.newStyle = newStyle;
    request.includeFiles = includeFiles;
    request.flags = BIF_RETURNONLYFSDIRS | (statusLine ? BIF_STATUSTEXT : 0u) |
                    (newStyle ? BIF_NEWDIALOGSTYLE : 0u) | (includeFiles ? BIF_BROWSEINCLUDEFILES : 0u);
    request.startPath = itemPath(startPath);
    if (statusLine) {
        request.statusFont = QApplication::font("QLabel");
        const QFont font = request.statusFont;
        request.statusText = [font](const QString& selectedPath, int statusLineWidth) {
            return statusText(QFontMetrics(font), selectedPath, statusLineWidth);
        };
    }
    return dialog.exec(request);
}

} // namespace modBrowseFolders
