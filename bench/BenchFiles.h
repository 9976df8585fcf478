// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <chrono>
#include <string>

// What the benchmarks share: their test files and their clock.
namespace BenchFiles {

inline constexpr qint64 MiB = qint64(1) << 20;

// Prints what failed with errno's text and ends the benchmark.
[[noreturn]] void fail(const std::string& what);

// Writes size bytes of the same pseudo-random content to a new file at path and syncs it, so that every
// contender starts from a file that is on the device and alike.
void createFile(const std::string& path, qint64 size);

double secondsSince(std::chrono::steady_clock::time_point start);

} // namespace BenchFiles
