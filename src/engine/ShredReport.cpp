#include "engine/ShredReport.h"

namespace ShredReport {

namespace {
const QString LineEnd = QStringLiteral("\r\n");
} // namespace

// Three lines, the middle one empty, each ended by CR LF; the window's labels break lines at CR LF.
QString successText()
{
    return QStringLiteral("Die Datei wurde umgebracht!") + LineEnd + LineEnd +
           QStringLiteral("Ziehen Sie eine neue Datei die gelöscht werden soll in dieses Fenster oder "
                          "benutzen Sie das Ordnericon oben rechts um eine Datei zu suchen.");
}

QString incompleteText()
{
    return QStringLiteral("Die Datei wurde gelöscht, konnte aber nicht vollständig überschrieben werden.") +
           LineEnd + LineEnd +
           QStringLiteral("Teile ihres Inhalts können noch auf dem Datenträger vorhanden sein.");
}

// One sentence per reason; the empty string for Opened, which is no failure.
QString openFailureText(OpenStatus status)
{
    switch (status) {
    case OpenStatus::Opened:
        return QString();
    case OpenStatus::InUse:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie gerade von einem anderen Programm "
                              "benutzt wird.");
    case OpenStatus::AccessDenied:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil der Zugriff auf sie verweigert wurde.");
    case OpenStatus::NotRegularFile:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie keine gewöhnliche Datei ist.");
    case OpenStatus::NotFound:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie nicht mehr gefunden wurde.");
    case OpenStatus::Failed:
        break;
    }
    return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie nicht geöffnet werden konnte.");
}

QString withDestroyedName(const QString& report, const QString& fileName)
{
    const QString firstLine = report.section(LineEnd, 0, 0);
    return firstLine + LineEnd + QStringLiteral("„%1“").arg(fileName) + LineEnd + LineEnd +
           QStringLiteral("Die während des Löschens gewählte Datei ist unverändert.");
}

} // namespace ShredReport
