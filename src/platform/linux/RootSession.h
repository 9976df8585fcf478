// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

class QProcessEnvironment;

namespace RootSession {

// True when the program runs as root (effectiveUid 0) on behalf of another user: started through sudo
// or pkexec by someone else (SUDO_USER, PKEXEC_UID), or with a home folder (homeOwner) that belongs to
// someone else, as after "sudo -E" or a plain "su". Files written into the home folder then either land
// where the user's file manager never looks or belong to root in the user's home.
bool forOtherUser(unsigned effectiveUid, const QProcessEnvironment& environment,
                  std::optional<unsigned> homeOwner);

// The same for the running process.
bool currentForOtherUser();

} // namespace RootSession
