// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ShredReport.h"

namespace ShredReport {

namespace {
const QString LineEnd = QStringLiteral("\r\n");

// The reason in one short phrase, beginning with a small letter unless it begins with a name.
QString reasonPhrase(const OverwriteCheck::Result& check)
{
    using OverwriteCheck::Reason;
    const QString name = check.fileSystem.isEmpty() ? QStringLiteral("Das Dateisystem") : check.fileSystem;
    switch (check.layer) {
    case OverwriteCheck::Layer::FileSystem:
        break;
    case OverwriteCheck::Layer::Overlay:
        return check.reason == Reason::LowerLayer
                   ? QStringLiteral("das Original bleibt unverändert in der unteren Schicht des Overlays")
                   : QStringLiteral("die Schichten des Overlays lassen sich nicht bestimmen");
    case OverwriteCheck::Layer::Device:
        return QStringLiteral("das Gerät darunter (%1) kann alte Blöcke aufbewahren").arg(check.device);
    case OverwriteCheck::Layer::ImageFile: {
        const QString onName =
            check.fileSystem.isEmpty() ? QStringLiteral("einem Dateisystem") : check.fileSystem;
        switch (check.reason) {
        case Reason::CopyOnWrite:
            return QStringLiteral("die Abbilddatei liegt auf %1, das Änderungen an eine neue Stelle schreibt")
                .arg(onName);
        case Reason::Shared:
            return QStringLiteral("die Abbilddatei teilt ihre Blöcke mit einer Kopie");
        case Reason::Inline:
            return QStringLiteral("die Abbilddatei liegt in den Verwaltungsdaten von %1").arg(onName);
        case Reason::Journalled:
            return QStringLiteral("die Abbilddatei liegt auf %1, das die Daten auch in sein Journal schreibt")
                .arg(onName);
        case Reason::Unreadable:
            return QStringLiteral("die Abbilddatei unter dem Dateisystem lässt sich nicht lesen");
        default:
            return QStringLiteral("die Abbilddatei liegt auf %1, das nicht zeigt, wo Daten liegen")
                .arg(onName);
        }
    }
    }
    switch (check.reason) {
    case Reason::CopyOnWrite:
        return QStringLiteral("%1 schreibt Änderungen an eine neue Stelle").arg(name);
    case Reason::Shared:
        return QStringLiteral("die Datei teilt ihre Blöcke mit einer Kopie");
    case Reason::Inline:
        return QStringLiteral("%1 hält kleine Dateien in seinen Verwaltungsdaten").arg(name);
    case Reason::Journalled:
        return QStringLiteral("%1 schreibt die Daten auch in sein Journal").arg(name);
    default:
        break;
    }
    return QStringLiteral("das Dateisystem legt Kopien an");
}

// The phrase as the start of a sentence: a file system's own name keeps its spelling ("ext4").
QString sentence(const QString& phrase, const OverwriteCheck::Result& check)
{
    if (phrase.isEmpty() || (!check.fileSystem.isEmpty() && phrase.startsWith(check.fileSystem)))
        return phrase;
    return phrase.at(0).toUpper() + phrase.mid(1);
}

const QString Question = QStringLiteral(" Trotzdem schreddern und löschen?");

const QString OtherNamesText = QStringLiteral("Ihr Inhalt ist unter jedem Namen überschrieben; nur ihre "
                                              "weiteren Namen (harte Links) bleiben bestehen.");

// Where a text leaves the user with a question, the help's page on limits has the answer.
const QString SeeLimits = QStringLiteral(" Siehe Hilfe (F1): Grenzen.");
} // namespace

QString flashText()
{
    return QStringLiteral(
        "SSDs und USB-Sticks können alte Kopien behalten; sicher ist nur Vollverschlüsselung.");
}

// Three lines, the middle one empty, each ended by CR LF; the window's labels break lines at CR LF.
QString successText()
{
    return QStringLiteral("Die Datei wurde umgebracht!") + LineEnd + LineEnd +
           QStringLiteral("Ziehen Sie eine neue Datei die gelöscht werden soll in dieses Fenster oder "
                          "benutzen Sie das Ordnericon oben rechts um eine Datei zu suchen.");
}

QString incompleteText()
{
    return QStringLiteral("Die Datei wurde nicht vollständig überschrieben und darum nicht gelöscht. "
                          "Bitte erneut löschen.");
}

QString nameKeptText()
{
    return QStringLiteral("Die Datei wurde überschrieben, doch ihr Name konnte nicht entfernt werden. Prüfen "
                          "Sie die Ordnerrechte.");
}

QString changedText(const QString& warning, bool withNextStep)
{
    // Pressing the button again answers the question, so it need not stand here too.
    QString reason = warning;
    reason.remove(Question);
    return QStringLiteral("Nicht gelöscht, seit dem Laden verändert: ") + reason +
           (withNextStep ? QStringLiteral(" Bitte erneut bestätigen.") : QString());
}

QString noSpaceText(qint64 needed, qint64 free, const QLocale& locale)
{
    return QStringLiteral("Die Datei wurde nicht gelöscht: ihre Durchgänge brauchen %1, frei sind nur %2. "
                          "Schaffen Sie Platz.")
        .arg(sizeText(needed, locale), sizeText(free, locale));
}

QString overwriteText(const OverwriteCheck::Result& check)
{
    QString text;
    switch (check.outcome) {
    case OverwriteCheck::Outcome::Verified:
        // On flash memory the sentence about its cells takes the invitation's place.
        if (!check.otherNames && !check.flash)
            return successText();
        return QStringLiteral("Die Datei wurde umgebracht!") + LineEnd + LineEnd +
               (check.otherNames ? OtherNamesText : flashText()) +
               (check.otherNames && check.flash ? u' ' + flashText() : QString());
    case OverwriteCheck::Outcome::NotReached:
        // Through an overlay only the upper copy was written and its name removed; the original was not
        // deleted.
        if (check.layer == OverwriteCheck::Layer::Overlay)
            text = QStringLiteral("Die Datei wurde in der oberen Schicht des Overlays überschrieben und "
                                  "entfernt, doch das Original bleibt unverändert in der unteren Schicht.");
        else
            text = QStringLiteral("Die Datei wurde gelöscht und überschrieben, doch das Dateisystem behält "
                                  "Kopien des alten Inhalts: %1.")
                       .arg(reasonPhrase(check));
        break;
    case OverwriteCheck::Outcome::NotCheckable:
        if (check.layer == OverwriteCheck::Layer::FileSystem)
            text = QStringLiteral("Die Datei wurde gelöscht und überschrieben, doch dieses Dateisystem lässt "
                                  "Tilgomatic nicht prüfen, wo die Daten geblieben sind.");
        else
            text = QStringLiteral("Die Datei wurde gelöscht und überschrieben, doch Tilgomatic kann nicht "
                                  "prüfen, ob Kopien bleiben: %1.")
                       .arg(reasonPhrase(check));
        break;
    }
    // The label has no room for the long note here.
    if (check.otherNames)
        text += LineEnd + QStringLiteral("Weitere Namen (harte Links) bleiben.");
    return text + SeeLimits;
}

QString warningText(const OverwriteCheck::Result& expected)
{
    const QString& question = Question;
    // A layer's phrase fills the two lines on its own.
    const bool layer = expected.layer != OverwriteCheck::Layer::FileSystem;
    switch (expected.outcome) {
    case OverwriteCheck::Outcome::NotReached:
        return sentence(reasonPhrase(expected), expected) +
               (layer ? QStringLiteral(".") : QStringLiteral("; alte Kopien bleiben.")) + question;
    case OverwriteCheck::Outcome::NotCheckable:
        if (!layer)
            return QStringLiteral("Dieses Dateisystem lässt nicht prüfen, ob Kopien bleiben.") + question;
        return sentence(reasonPhrase(expected), expected) + u'.' + question;
    case OverwriteCheck::Outcome::Verified:
        break;
    }
    if (expected.otherNames)
        return QStringLiteral("Die Datei hat weitere Namen (harte Links).") + question;
    if (expected.flash)
        return flashText() + question;
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
                              "benutzt wird. Schliessen Sie es zuerst.");
    case OpenStatus::AccessDenied:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil der Zugriff auf sie verweigert wurde. "
                              "Prüfen Sie ihre Rechte.");
    case OpenStatus::NotRegularFile:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie keine gewöhnliche Datei ist. Siehe "
                              "Hilfe (F1): Grenzen.");
    case OpenStatus::NotFound:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie nicht mehr gefunden wurde. Laden Sie "
                              "sie neu.");
    case OpenStatus::Changed:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil sie seit dem Laden verändert wurde. "
                              "Bitte erneut bestätigen.");
    case OpenStatus::NoSpace:
        return QStringLiteral("Die Datei wurde nicht gelöscht, weil für ihre Durchgänge zu wenig Platz frei "
                              "ist. Schaffen Sie Platz.");
    case OpenStatus::PseudoFile:
        return QStringLiteral(
            "Die Datei wurde nicht gelöscht, weil sie auf keinem Datenträger liegt (wie alles "
            "in /sys und /proc).");
    case OpenStatus::Failed:
        break;
    }
    return QStringLiteral(
        "Die Datei wurde nicht gelöscht, weil sie nicht geöffnet werden konnte. Bitte erneut "
        "versuchen.");
}

QString inUseText(const QString& holder)
{
    if (holder.isEmpty())
        return openFailureText(OpenStatus::InUse);
    return QStringLiteral("Die Datei wurde nicht gelöscht, weil „%1“ sie geöffnet hat.").arg(holder);
}

QString noSpaceWarningText(qint64 needed, qint64 free, const QLocale& locale)
{
    return QStringLiteral("Zu wenig Platz frei: ihre Durchgänge brauchen %1, frei sind nur %2. Bitte erst "
                          "Platz schaffen.")
        .arg(sizeText(needed, locale), sizeText(free, locale));
}

QString pseudoFileText()
{
    return QStringLiteral("Diese Datei liegt auf keinem Datenträger: der Kernel zeigt sie nur an (wie alles "
                          "in /sys und /proc).");
}

QString sizeText(qint64 bytes, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    if (bytes < 1024)
        return plain.toString(bytes) + QStringLiteral("\u00A0Byte");
    static const char* const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    // Rounded to one decimal, 1023.95 would read as 1024,0: it goes to the next unit.
    while (value >= 1023.95 && unit < 5) {
        value /= 1024;
        ++unit;
    }
    // The unit stays on the line of its number.
    return plain.toString(value, 'f', 1) + u'\u00A0' + QLatin1String(units[unit]);
}

QString readOnlyRefusalText()
{
    return QStringLiteral("Die Datei wurde nicht gelöscht, weil ihr Datenträger schreibgeschützt ist. Siehe "
                          "Hilfe (F1): Grenzen.");
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
