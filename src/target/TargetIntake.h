// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NumberFormat.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class FileSystem;
class TextWidth;

// Paths hold a name's exact bytes; a name a file manager could not decode arrives with U+FFFD (UTF-8) in it.
namespace TargetIntake {

// The start-up target from the program's arguments (each the exact bytes the program was given): joined
// with single blanks; a leading "1%" word dropped when an absolute path follows it (the context-menu entry
// puts it there); taken as it stands (made absolute) when that names something that exists; otherwise
// trimmed of blanks only; sent through GetLongPath when it holds a "~"; every double quote removed; a
// relative result made absolute against workingFolder. Empty when nothing is given.
std::filesystem::path commandLineTarget(const std::vector<std::string>& arguments,
                                        const std::filesystem::path& workingFolder, FileSystem& fileSystem);

// Whether path's name may have been altered on its way here, so that it may stand for other files: it holds
// U+FFFD.
bool mayStandForOthers(const std::filesystem::path& path);

// The other files in path's folder whose names path's name may stand for: where a file manager shows a
// byte that is no UTF-8 as U+FFFD and hands that on, "K\uFFFDse.txt" may mean "K\xE4se.txt". Each U+FFFD
// of the name stands for itself or for a run of such bytes. Empty when the name holds no U+FFFD.
// Stops early, with what was found so far, once *cancelled is set; safe to run off the window's thread.
std::vector<std::filesystem::path> lookAlikes(const std::filesystem::path& path, FileSystem& fileSystem,
                                              const std::atomic<bool>* cancelled = nullptr);

// Said in place of the question while the target's name may stand for count files, none of them chosen
// yet; the choice is reached with Alt+W.
std::string ambiguityText(std::size_t count);
// Said in place of the question while the folder is looked through for such names.
std::string lookAlikeScanText();
// One look-alike as the choice lists it: its name with undecodable bytes escaped (PathDisplay), shortened
// in the middle to fit width pixels together with what tells it apart, its size (negative: unknown) and
// modification time in local time.
std::string candidateText(const std::filesystem::path& path, std::int64_t size,
                          const std::optional<std::chrono::system_clock::time_point>& modified,
                          const NumberFormat& format, const TextWidth& font, int width);
// ... whole, for the mouse pointer and screen readers.
std::string candidateText(const std::filesystem::path& path, std::int64_t size,
                          const std::optional<std::chrono::system_clock::time_point>& modified,
                          const NumberFormat& format);

} // namespace TargetIntake
