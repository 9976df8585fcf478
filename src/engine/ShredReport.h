// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OverwriteCheck.h"
#include "platform/FileSystem.h"

#include <QLocale>
#include <QString>

// The German texts the delete command shows for the outcome of a run.
namespace ShredReport {

// Three lines: the file is destroyed, an empty line, the invitation to load the next one.
QString successText();
// One sentence for a file on flash memory, whose controller may keep old cells that no write reaches.
QString flashText();
// A write or a sync failed: the file keeps its name (and what the sweeps did not reach), to be run again.
QString incompleteText();
// Every sweep was written and synced, but the name could not be removed.
QString nameKeptText();
// The file was changed since it was loaded (nothing was written), and what it is now calls for warning;
// withNextStep asks the user to confirm again, where there is room for it.
QString changedText(const QString& warning, bool withNextStep = true);
// The sweeps would need needed bytes of free space where only free are: nothing was written.
QString noSpaceText(qint64 needed, qint64 free, const QLocale& locale);
// The file is gone and overwritten, but the file system keeps copies of the old contents (NotReached)
// or does not tell where they went (NotCheckable); with a note on further hard links. For a verified
// outcome the success text, with that note where the file has other names.
QString overwriteText(const OverwriteCheck::Result& check);
// Shown in place of the red question while a file is loaded whose run is expected not to be verified,
// or which has further names; the empty string when there is nothing to warn of. Two lines at most.
QString warningText(const OverwriteCheck::Result& expected);
// Why nothing was destroyed when the exclusive open failed with status.
QString openFailureText(OpenStatus status);
// Why nothing was destroyed when the program holder (as its process calls itself) holds the file open.
QString inUseText(const QString& holder);
// Shown in place of the question while a file is loaded whose sweeps need needed bytes where only free
// are free.
QString noSpaceWarningText(qint64 needed, qint64 free, const QLocale& locale);
// Shown in place of the question while a file is loaded that lies on no storage device (/sys, /proc).
QString pseudoFileText();
// bytes in German units (Byte, KB, MB, GB, TB, each 1024 of the one before), with one decimal in the
// locale's notation from KB on; no unit of the locale's language ever appears.
QString sizeText(qint64 bytes, const QLocale& locale);
// Why nothing was destroyed when the file system or the mount takes no writes.
QString readOnlyRefusalText();

// report for a run during which another file was chosen: the destroyed file's name in place of "Die Datei",
// and, with withNote, the word that the file chosen during the run is unchanged (in place of the
// invitation after a plain success, where there is always room for it).
QString withDestroyedName(const QString& report, const QString& fileName, bool withNote = true);

} // namespace ShredReport
