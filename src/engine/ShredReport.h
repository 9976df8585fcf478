#pragma once

#include "platform/FileSystem.h"

#include <QString>

// The German texts the delete command shows for the outcome of a run.
namespace ShredReport {

// Three lines: the file is destroyed, an empty line, the invitation to load the next one.
QString successText();
// The file is gone, but a write or a sync failed, so the overwriting cannot be vouched for.
QString incompleteText();
// Why nothing was destroyed when the exclusive open failed with status.
QString openFailureText(OpenStatus status);

// report with the destroyed file's name on its own line after the first, and in place of the invitation the
// word that the file chosen during the run is unchanged.
QString withDestroyedName(const QString& report, const QString& fileName);

} // namespace ShredReport
