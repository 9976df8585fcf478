#include "engine/ShredReport.h"

namespace ShredReport {

namespace {
const QString LineEnd = QStringLiteral("\r\n");

// The reason in one short phrase, beginning with a small letter unless it begins with a name.
QString reasonPhrase(const OverwriteCheck::Result& check)
{
    const QString name = check.fileSystem.isEmpty() ? QStringLiteral("Das Dateisystem") : check.fileSystem;
    switch (check.reason) {
    case OverwriteCheck::Reason::CopyOnWrite:
        return QStringLiteral("%1 schreibt Änderungen an eine neue Stelle").arg(name);
    case OverwriteCheck::Reason::Shared:
        return QStringLiteral("die Datei teilt ihre Blöcke mit einer Kopie");
    case OverwriteCheck::Reason::Inline:
        return QStringLiteral("%1 hält kleine Dateien in seinen Verwaltungsdaten").arg(name);
    case OverwriteCheck::Reason::Journalled:
        return QStringLiteral("%1 schreibt die Daten auch in sein Journal").arg(name);
    case OverwriteCheck::Reason::None:
        break;
    }
    return QStringLiteral("das Dateisystem legt Kopien an");
}

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

const QString Question = QStringLiteral(" Trotzdem schreddern und löschen?");

const QString OtherNamesText = QStringLiteral("Die Datei hat weitere Namen (harte Links), unter denen ihr "
                                              "überschriebener Inhalt bestehen bleibt.");
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
    return QStringLiteral("Die Datei wurde nicht vollständig überschrieben und darum nicht gelöscht. Sie "
                          "bleibt unter ihrem Namen.");
}

QString nameKeptText()
{
    return QStringLiteral("Die Datei wurde überschrieben, doch ihr Name konnte nicht entfernt werden.");
}

QString changedText(const QString& warning)
{
    // Pressing the button again answers the question, so it need not stand here too.
    QString reason = warning;
    reason.remove(Question);
    return QStringLiteral("Nicht gelöscht, seit dem Laden verändert: ") + reason;
}

QString noSpaceText(qint64 needed, qint64 free, const QLocale& locale)
{
    const auto size = [&](qint64 bytes) {
        return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
    };
    return QStringLiteral("Die Datei wurde nicht gelöscht: ihre Durchgänge brauchen %1 freien Platz, frei "
                          "sind nur %2.")
        .arg(size(needed), size(free));
}

QString overwriteText(const OverwriteCheck::Result& check)
{
    QString text;
    switch (check.outcome) {
    case OverwriteCheck::Outcome::Verified:
        if (!check.otherNames)
            return successText();
        return QStringLiteral("Die Datei wurde umgebracht!") + LineEnd + LineEnd + OtherNamesText;
    case OverwriteCheck::Outcome::NotReached:
        text =
            QStringLiteral("Die Datei wurde gelöscht und überschrieben, doch das Dateisystem behält Kopien "
                           "des alten Inhalts: %1.")
                .arg(reasonPhrase(check));
        break;
    case OverwriteCheck::Outcome::NotCheckable:
        text = QStringLiteral("Die Datei wurde gelöscht und überschrieben, doch dieses Dateisystem lässt "
                              "Tilgomatic nicht prüfen, wo die Daten geblieben sind.");
        break;
    }
    // The label has no room for the long note here.
    return check.otherNames ? text + LineEnd + QStringLiteral("Weitere Namen (harte Links) bleiben.") : text;
}

QString warningText(const OverwriteCheck::Result& expected)
{
    const QString& question = Question;
    switch (expected.outcome) {
    case OverwriteCheck::Outcome::NotReached:
        return capitalised(reasonPhrase(expected)) + QStringLiteral("; alte Kopien bleiben.") + question;
    case OverwriteCheck::Outcome::NotCheckable:
        return QStringLiteral("Dieses Dateisystem lässt nicht prüfen, ob Kopien bleiben.") + question;
    case OverwriteCheck::Outcome::Verified:
        break;
    }
    if (expected.otherNames)
        return QStringLiteral("Die Datei hat weitere Namen (harte Links).") + question;
    return QString();
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
    case OpenStatus::Changed:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie seit dem Laden verändert wurde. "
                              "Bitte erneut bestätigen.");
    case OpenStatus::NoSpace:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil für ihre Durchgänge zu wenig Platz frei "
                              "ist.");
    case OpenStatus::Failed:
        break;
    }
    return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie nicht geöffnet werden konnte.");
}

QString withDestroyedName(const QString& report, const QString& fileName, bool withNote)
{
    const QString name = QStringLiteral("„%1“").arg(fileName);
    const QString note = QStringLiteral("Die während des Löschens gewählte Datei ist unverändert.");
    // The plain success: the note takes the invitation's place.
    if (report == successText())
        return name + QStringLiteral(" wurde umgebracht!") + LineEnd + LineEnd + note;
    const QString subject = QStringLiteral("Die Datei");
    const QString named = report.startsWith(subject) ? name + report.mid(subject.size()) : report;
    return withNote ? named + LineEnd + LineEnd + note : named;
}

} // namespace ShredReport
