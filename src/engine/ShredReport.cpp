// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ShredReport.h"

#include <string_view>

namespace ShredReport {

namespace {
const std::string LineEnd = "\r\n";
// An empty line between two paragraphs.
const std::string Paragraph = LineEnd + LineEnd;

// The reason in one short phrase, beginning with a small letter unless it begins with a name.
std::string reasonPhrase(const OverwriteCheck::Result& check)
{
    using OverwriteCheck::Reason;
    const std::string name = check.fileSystem.empty() ? "Das Dateisystem" : check.fileSystem;
    switch (check.layer) {
    case OverwriteCheck::Layer::FileSystem:
        break;
    case OverwriteCheck::Layer::Overlay:
        return check.reason == Reason::LowerLayer
                   ? "das Original bleibt unverändert in der unteren Schicht des Overlays"
                   : "die Schichten des Overlays lassen sich nicht bestimmen";
    case OverwriteCheck::Layer::Device:
        return "das Gerät darunter (" + check.device + ") kann alte Blöcke aufbewahren";
    case OverwriteCheck::Layer::ImageFile: {
        const std::string onName = check.fileSystem.empty() ? "einem Dateisystem" : check.fileSystem;
        switch (check.reason) {
        case Reason::CopyOnWrite:
            return "die Abbilddatei liegt auf " + onName + ", das Änderungen an eine neue Stelle schreibt";
        case Reason::Shared:
            return "die Abbilddatei teilt ihre Blöcke mit einer Kopie";
        case Reason::Inline:
            return "die Abbilddatei liegt in den Verwaltungsdaten von " + onName;
        case Reason::Journalled:
            return "die Abbilddatei liegt auf " + onName + ", das die Daten auch in sein Journal schreibt";
        case Reason::Unreadable:
            return "die Abbilddatei unter dem Dateisystem lässt sich nicht lesen";
        default:
            return "die Abbilddatei liegt auf " + onName + ", das nicht zeigt, wo Daten liegen";
        }
    }
    }
    switch (check.reason) {
    case Reason::CopyOnWrite:
        return name + " schreibt Änderungen an eine neue Stelle";
    case Reason::Shared:
        return "die Datei teilt ihre Blöcke mit einer Kopie";
    case Reason::Inline:
        return name + " hält kleine Dateien in seinen Verwaltungsdaten";
    case Reason::Journalled:
        return name + " schreibt die Daten auch in sein Journal";
    case Reason::Encrypted:
        return name + " kann beim Verschlüsseln (EFS) unverschlüsselte Kopien hinterlassen haben";
    default:
        break;
    }
    return "das Dateisystem legt Kopien an";
}

// The phrase as the start of a sentence: a file system's own name keeps its spelling ("ext4").
std::string sentence(std::string phrase, const OverwriteCheck::Result& check)
{
    if (phrase.empty() || (!check.fileSystem.empty() && phrase.starts_with(check.fileSystem)))
        return phrase;
    // Every phrase begins with a plain letter.
    if (phrase[0] >= 'a' && phrase[0] <= 'z')
        phrase[0] = char(phrase[0] - 'a' + 'A');
    return phrase;
}

constexpr std::string_view Question = " Trotzdem schreddern und löschen?";
// What takes a mark that forbids writing off a file, at load and after a refused run alike.
constexpr char UnmarkImmutable[] = "Als root „chattr -i“ ausführen, dann neu laden.";
constexpr char UnmarkAppendOnly[] = "Als root „chattr -a“ ausführen, dann neu laden.";

const std::string OtherNamesText = "Ihr Inhalt ist unter jedem Namen überschrieben; nur ihre "
                                   "weiteren Namen (harte Links) bleiben bestehen.";

// Where a text leaves the user with a question, the help's page on limits has the answer.
const std::string SeeLimits = " Siehe Hilfe (F1): Grenzen.";
} // namespace

std::string flashText()
{
    return "SSDs und USB-Sticks können alte Kopien behalten; sicher ist nur Vollverschlüsselung.";
}

// Three lines, the middle one empty, each ended by CR LF; the window's labels break lines at CR LF.
std::string successText()
{
    return "Die Datei wurde umgebracht!" + Paragraph +
           "Ziehen Sie eine neue Datei die gelöscht werden soll in dieses Fenster oder "
           "benutzen Sie das Ordnericon oben rechts um eine Datei zu suchen.";
}

std::string incompleteText()
{
    return "Die Datei wurde nicht vollständig überschrieben und darum nicht gelöscht. "
           "Bitte erneut löschen.";
}

std::string nameKeptText()
{
    return "Die Datei wurde überschrieben, doch ihr Name konnte nicht entfernt werden. Prüfen "
           "Sie die Ordnerrechte.";
}

std::string changedText(const std::string& warning, bool withNextStep)
{
    // Pressing the button again answers the question, so it need not stand here too.
    std::string reason = warning;
    for (std::size_t at = reason.find(Question); at != std::string::npos; at = reason.find(Question, at))
        reason.erase(at, Question.size());
    return "Nicht gelöscht, seit dem Laden verändert: " + reason +
           (withNextStep ? " Bitte erneut bestätigen." : "");
}

std::string noSpaceText(std::int64_t needed, std::int64_t free, const NumberFormat& format)
{
    return "Die Datei wurde nicht gelöscht: ihre Durchgänge brauchen " + sizeText(needed, format) +
           ", frei sind nur " + sizeText(free, format) + ". Schaffen Sie Platz.";
}

std::string overwriteText(const OverwriteCheck::Result& check)
{
    std::string text;
    switch (check.outcome) {
    case OverwriteCheck::Outcome::Verified:
        // On flash memory the sentence about its cells takes the invitation's place.
        if (!check.otherNames && !check.flash)
            return successText();
        return "Die Datei wurde umgebracht!" + Paragraph + (check.otherNames ? OtherNamesText : flashText()) +
               (check.otherNames && check.flash ? " " + flashText() : std::string());
    case OverwriteCheck::Outcome::NotReached:
        // Through an overlay only the upper copy was written and its name removed; the original was not
        // deleted.
        if (check.layer == OverwriteCheck::Layer::Overlay)
            text = "Die Datei wurde in der oberen Schicht des Overlays überschrieben und "
                   "entfernt, doch das Original bleibt unverändert in der unteren Schicht.";
        else
            text = "Die Datei wurde gelöscht und überschrieben, doch das Dateisystem behält Kopien des alten "
                   "Inhalts: " +
                   reasonPhrase(check) + ".";
        break;
    case OverwriteCheck::Outcome::NotCheckable:
        if (check.layer == OverwriteCheck::Layer::FileSystem)
            text = "Die Datei wurde gelöscht und überschrieben, doch dieses Dateisystem lässt "
                   "Tilgomatic nicht prüfen, wo die Daten geblieben sind.";
        else
            text = "Die Datei wurde gelöscht und überschrieben, doch Tilgomatic kann nicht prüfen, ob Kopien "
                   "bleiben: " +
                   reasonPhrase(check) + ".";
        break;
    }
    // The label has no room for the long note here.
    if (check.otherNames)
        text += LineEnd + "Weitere Namen (harte Links) bleiben.";
    return text + SeeLimits;
}

std::string warningText(const OverwriteCheck::Result& expected)
{
    const std::string question(Question);
    // A layer's phrase fills the two lines on its own.
    const bool layer = expected.layer != OverwriteCheck::Layer::FileSystem;
    switch (expected.outcome) {
    case OverwriteCheck::Outcome::NotReached:
        return sentence(reasonPhrase(expected), expected) + (layer ? "." : "; alte Kopien bleiben.") +
               question;
    case OverwriteCheck::Outcome::NotCheckable:
        if (!layer)
            return "Dieses Dateisystem lässt nicht prüfen, ob Kopien bleiben." + question;
        return sentence(reasonPhrase(expected), expected) + "." + question;
    case OverwriteCheck::Outcome::Verified:
        break;
    }
    if (expected.otherNames)
        return "Die Datei hat weitere Namen (harte Links)." + question;
    if (expected.flash)
        return flashText() + question;
    return {};
}

// What could not be finished is told first, as it asks the most of the user. The names are the program's own
// (ASCII), shown as they are.
std::string leftoverText(const LeftoverReport& report)
{
    if (!report.stuck.empty())
        return "Ein abgebrochener Lauf hinterliess „" + report.stuck.front().filename().string() +
               "“. Prüfen Sie die Ordnerrechte und laden Sie erneut.";
    if (!report.putBack.empty())
        return "„" + report.putBack.front().filename().string() +
               "“ ist nicht fertig überschrieben. Laden und löschen Sie sie.";
    return "Rest eines abgebrochenen Laufs gelöscht (schon überschrieben). Laden Sie Ihre Datei erneut.";
}

// One sentence per reason; the empty string for Opened, which is no failure.
std::string openFailureText(OpenStatus status)
{
    switch (status) {
    case OpenStatus::Opened:
        return {};
    case OpenStatus::InUse:
        return "Die Datei wurde nicht gelöscht, weil sie gerade von einem anderen Programm "
               "benutzt wird. Schliessen Sie es zuerst.";
    case OpenStatus::AccessDenied:
        return "Die Datei wurde nicht gelöscht, weil der Zugriff auf sie verweigert wurde. "
               "Prüfen Sie ihre Rechte.";
    case OpenStatus::NotRegularFile:
        return "Die Datei wurde nicht gelöscht, weil sie keine gewöhnliche Datei ist. Siehe "
               "Hilfe (F1): Grenzen.";
    case OpenStatus::NotFound:
        return "Die Datei wurde nicht gelöscht, weil sie nicht mehr gefunden wurde. Laden Sie "
               "sie neu.";
    case OpenStatus::Changed:
        return "Die Datei wurde nicht gelöscht, weil sie seit dem Laden verändert wurde. "
               "Bitte erneut bestätigen.";
    case OpenStatus::NoSpace:
        return "Die Datei wurde nicht gelöscht, weil für ihre Durchgänge zu wenig Platz frei "
               "ist. Schaffen Sie Platz.";
    case OpenStatus::PseudoFile:
        return "Die Datei wurde nicht gelöscht, weil sie auf keinem Datenträger liegt (wie alles "
               "in /sys und /proc).";
    case OpenStatus::Blocked:
        return "Die Datei wurde nicht gelöscht: Ihre Rechte erlauben es, doch ein Schutzprogramm (etwa der "
               "überwachte Ordnerzugriff) verhindert das Schreiben. Lassen Sie Tilgomatic dort zu.";
    case OpenStatus::CloudOnly:
        return "Die Datei wurde nicht gelöscht, weil ihr Inhalt nur in der Cloud liegt. Löschen Sie sie "
               "dort, samt ihren Versionen.";
    case OpenStatus::StreamFailed:
        return "Die Datei wurde nicht gelöscht, weil sich einer ihrer weiteren Datenströme nicht öffnen "
               "liess. Bitte erneut versuchen.";
    case OpenStatus::Immutable:
        return std::string("Die Datei wurde nicht gelöscht, weil sie unveränderlich ist (chattr +i). ") +
               UnmarkImmutable;
    case OpenStatus::AppendOnly:
        return std::string("Die Datei wurde nicht gelöscht, weil sie nur wachsen darf (chattr +a). ") +
               UnmarkAppendOnly;
    case OpenStatus::Failed:
        break;
    }
    return "Die Datei wurde nicht gelöscht, weil sie nicht geöffnet werden konnte. Bitte erneut "
           "versuchen.";
}

std::string inUseText(const std::string& holder, bool tilgomatic)
{
    // Tilgomatic opens a file for writing only to shred it.
    if (tilgomatic)
        return "Die Datei wurde nicht gelöscht, weil ein anderes Tilgomatic-Fenster sie gerade schreddert. "
               "Warten Sie, bis es fertig ist.";
    if (holder.empty())
        return openFailureText(OpenStatus::InUse);
    return "Die Datei wurde nicht gelöscht, weil „" + holder +
           "“ sie geöffnet hat. Schliessen Sie sie dort zuerst.";
}

std::string cloudWarningText()
{
    return "OneDrive oder eine andere Cloud behält eigene Kopien und Versionen dieser Datei." +
           std::string(Question);
}

std::string cloudOnlyText()
{
    return "Der Inhalt dieser Datei liegt nur in der Cloud; Überschreiben würde ihn erst herunterladen. "
           "Löschen Sie sie dort.";
}

std::string streamsQuestion(int streams)
{
    return "Die Datei hat " +
           (streams == 1 ? std::string("einen weiteren Datenstrom")
                         : std::to_string(streams) + " weitere Datenströme") +
           "; sie werden mit überschrieben." + std::string(Question);
}

std::string noSpaceWarningText(std::int64_t needed, std::int64_t free, const NumberFormat& format)
{
    return "Zu wenig Platz frei: ihre Durchgänge brauchen " + sizeText(needed, format) + ", frei sind nur " +
           sizeText(free, format) + ". Bitte erst Platz schaffen.";
}

std::string pseudoFileText()
{
    return "Diese Datei liegt auf keinem Datenträger: der Kernel zeigt sie nur an (wie alles "
           "in /sys und /proc).";
}

std::string loadRefusalText(OpenStatus status)
{
    switch (status) {
    case OpenStatus::NotRegularFile:
        return "Dies ist keine gewöhnliche Datei (eine Pipe, ein Socket oder ein Gerät). Bitte eine Datei "
               "wählen.";
    case OpenStatus::Immutable:
        return std::string("Diese Datei ist unveränderlich (chattr +i). ") + UnmarkImmutable;
    case OpenStatus::AppendOnly:
        return std::string("Diese Datei darf nur wachsen (chattr +a). ") + UnmarkAppendOnly;
    default:
        return {};
    }
}

std::string sizeText(std::int64_t bytes, const NumberFormat& format)
{
    if (bytes < 1024)
        return withUnit(format.integer(bytes), "Byte");
    static const char* const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    // Rounded to one decimal, 1023.95 would read as 1024,0: it goes to the next unit.
    while (value >= 1023.95 && unit < 5) {
        value /= 1024;
        ++unit;
    }
    // The unit stays on the line of its number.
    return withUnit(format.decimal(value, 1), units[unit]);
}

std::string readOnlyRefusalText()
{
    return "Die Datei wurde nicht gelöscht, weil ihr Datenträger schreibgeschützt ist. Siehe "
           "Hilfe (F1): Grenzen.";
}

std::string withDestroyedName(const std::string& report, const std::string& fileName, bool withNote)
{
    const std::string name = "„" + fileName + "“";
    const std::string note = "Die während des Löschens gewählte Datei ist unverändert.";
    // The plain success: the note takes the invitation's place.
    if (report == successText())
        return name + " wurde umgebracht!" + Paragraph + note;
    const std::string_view subject = "Die Datei";
    const std::string named = report.starts_with(subject) ? name + report.substr(subject.size()) : report;
    return withNote ? named + Paragraph + note : named;
}

} // namespace ShredReport
