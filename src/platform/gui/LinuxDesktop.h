#pragma once

#include "platform/gui/Desktop.h"

#include <QString>
#include <QUrl>
#include <functional>

class QMimeType;

// Opens documents the way the user's desktop does: through xdg-open (QDesktopServices), but only when
// the desktop has a program registered for the document's type, as xdg-mime reports it. Without that
// check xdg-open would hand an unknown type to the web browser.
class LinuxDesktop : public Desktop
{
public:
    // Starts the desktop's program for url; true when it could be started.
    using Opener = std::function<bool(const QUrl& url)>;

    // xdg-mime from PATH, QDesktopServices::openUrl.
    LinuxDesktop();
    // xdgMimeProgram: the name or path of xdg-mime; opener: what starts the program. For tests.
    LinuxDesktop(const QString& xdgMimeProgram, Opener opener);

    // False, without starting anything, when path is no existing file or no program is registered for
    // its type. HTML needs no registration: the browser always takes it. Otherwise the opener's result.
    bool openDocument(const QString& path) override;

    // The desktop file of the program registered for type or one of its aliases, as xdg-mime names it;
    // empty when none is registered, xdg-mime is missing or gives no answer within a few seconds.
    QString registeredProgram(const QMimeType& type) const;

private:
    QString queryDefault(const QString& mimeTypeName) const;

    QString m_xdgMime;
    Opener m_opener;
};
