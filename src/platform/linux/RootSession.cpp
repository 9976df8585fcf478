// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/RootSession.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <unistd.h>

namespace RootSession {

bool forOtherUser(unsigned effectiveUid, const QProcessEnvironment& environment,
                  std::optional<unsigned> homeOwner)
{
    if (effectiveUid != 0)
        return false;
    const QString sudoUser = environment.value(QStringLiteral("SUDO_USER"));
    if (!sudoUser.isEmpty() && sudoUser != QLatin1String("root"))
        return true;
    const QString pkexecUid = environment.value(QStringLiteral("PKEXEC_UID"));
    if (!pkexecUid.isEmpty() && pkexecUid != QLatin1String("0"))
        return true;
    return homeOwner.has_value() && *homeOwner != 0;
}

bool currentForOtherUser()
{
    std::optional<unsigned> homeOwner;
    if (const QFileInfo home(QDir::homePath()); home.exists())
        homeOwner = home.ownerId();
    return forOtherUser(::geteuid(), QProcessEnvironment::systemEnvironment(), homeOwner);
}

} // namespace RootSession
