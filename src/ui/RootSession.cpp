#include "ui/RootSession.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <sys/stat.h>
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
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(QDir::homePath()).constData(), &info) == 0)
        homeOwner = info.st_uid;
    return forOtherUser(::geteuid(), QProcessEnvironment::systemEnvironment(), homeOwner);
}

} // namespace RootSession
