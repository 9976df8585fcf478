// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OverwriteCheck.h"
#include "platform/FileSystem.h"

#include "platform/NumberFormat.h"

#include <cstdint>
#include <string>

// The German texts the delete command shows for the outcome of a run, in UTF-8.
namespace ShredReport {

// Three lines: the file is destroyed, an empty line, the invitation to load the next one.
std::string successText();
// One sentence for a file on flash memory, whose controller may keep old cells that no write reaches.
std::string flashText();
// A write or a sync failed: the file keeps its name (and what the sweeps did not reach), to be run again.
std::string incompleteText();
// Every sweep was written and synced, but the name could not be removed.
std::string nameKeptText();
// The file was changed since it was loaded (nothing was written), and what it is now calls for warning;
// withNextStep asks the user to confirm again, where there is room for it.
std::string changedText(const std::string& warning, bool withNextStep = true);
// The sweeps would need needed bytes of free space where only free are: nothing was written.
std::string noSpaceText(std::int64_t needed, std::int64_t free, const NumberFormat& format);
// The file is gone and overwritten, but the file system keeps copies of the old contents (NotReached)
// or does not tell where they went (NotCheckable); with a note on further hard links. For a verified
// outcome the success text, with that note where the file has other names.
std::string overwriteText(const OverwriteCheck::Result& check);
// Shown in place of the red question while a file is loaded whose run is expected not to be verified,
// or which has further names; the empty string when there is nothing to warn of. Two lines at most.
std::string warningText(const OverwriteCheck::Result& expected);
// Why nothing was destroyed when the exclusive open failed with status.
std::string openFailureText(OpenStatus status);
// Why nothing was destroyed when the program holder (as its process calls itself) holds the file open;
// with tilgomatic, when that program is this one, in another window.
std::string inUseText(const std::string& holder, bool tilgomatic = false);
// Shown in place of the question while a file is loaded that a cloud provider keeps copies and versions of.
std::string cloudWarningText();
// Shown in place of the question while a cloud file is loaded whose data is not on this disk.
std::string cloudOnlyText();
// The question for a file with streams further data streams (NTFS), which the run overwrites too.
std::string streamsQuestion(int streams);
// Shown in place of the question while a file is loaded whose sweeps need needed bytes where only free
// are free.
std::string noSpaceWarningText(std::int64_t needed, std::int64_t free, const NumberFormat& format);
// Shown in place of the question while a file is loaded that lies on no storage device (/sys, /proc).
std::string pseudoFileText();
// Shown in place of the question while a file is loaded that no run would open, for status: NotRegularFile
// (a FIFO, socket or device), Immutable or AppendOnly; the empty string for any other status.
std::string loadRefusalText(OpenStatus status);
// bytes in German units (Byte, KB, MB, GB, TB, each 1024 of the one before), with one decimal in the
// locale's notation (format) from KB on; no unit of the locale's language ever appears.
std::string sizeText(std::int64_t bytes, const NumberFormat& format);
// Shown in place of the question when loading a file found what runs that ended before their end (killed, a
// crash, a power cut) had left in its folder, and what became of it (report not empty).
std::string leftoverText(const LeftoverReport& report);
// Why nothing was destroyed when the file system or the mount takes no writes.
std::string readOnlyRefusalText();

// report for a run during which another file was chosen: the destroyed file's name in place of "Die Datei",
// and, with withNote, the word that the file chosen during the run is unchanged (in place of the
// invitation after a plain success, where there is always room for it).
std::string withDestroyedName(const std::string& report, const std::string& fileName, bool withNote = true);

} // namespace ShredReport
