// SPDX-License-Identifier: GPL-3.0-or-later
// Times ShredFile against the device's limit on one file system.
//
//   bench_shred FOLDER [SIZE_MIB]     (default 256 MiB)
//
// Each contender gets a fresh file of the same content and size in FOLDER and makes 36 synced sweeps:
//   limit   36 x (rewind, write the file in 1 MiB blocks, fdatasync): what the storage allows;
//   engine  ShredFile with 9 passes (27 fixed-pattern and 9 random sweeps, each synced).
// Also prints the engine's peak memory above what the process held before the run, for a small file and
// for the full size, to show that it does not grow with the file.

#include "BenchFiles.h"
#include "engine/Shredder.h"
#include "platform/linux/LinuxFileSystem.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using BenchFiles::createFile;
using BenchFiles::fail;
using BenchFiles::MiB;
using BenchFiles::secondsSince;
constexpr int Sweeps = 36;

// 36 sweeps of 1 MiB writes with a data sync after each: the fastest a synced overwrite can go.
double timeLimit(const std::string& path, qint64 size)
{
    createFile(path, size);
    const std::vector<char> block(MiB, '\x55');
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        fail("open " + path);
    for (int sweep = 0; sweep < Sweeps; ++sweep) {
        if (::lseek(fd, 0, SEEK_SET) != 0)
            fail("seek");
        for (qint64 done = 0; done < size; done += MiB) {
            const size_t count = size_t(std::min(MiB, size - done));
            if (::write(fd, block.data(), count) != ssize_t(count))
                fail("write " + path);
        }
        if (::fdatasync(fd) != 0)
            fail("fdatasync");
    }
    ::close(fd);
    ::unlink(path.c_str());
    return secondsSince(start);
}

// A value in kB from /proc/self/status ("VmHWM", "VmRSS"), or -1.
long statusKb(const char* key)
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long value = -1;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') {
            value = std::strtol(line + keyLength + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

// Resets the peak resident size to the current one. False where the kernel does not allow it.
bool resetPeakMemory()
{
    FILE* clear = std::fopen("/proc/self/clear_refs", "w");
    if (!clear)
        return false;
    const bool ok = std::fputs("5", clear) >= 0;
    return std::fclose(clear) == 0 && ok;
}

struct EngineRun
{
    double seconds = 0;
    long peakAboveStartKb = -1; // -1 when the peak could not be reset
    bool complete = false;
};

EngineRun timeEngine(const std::string& path, qint64 size)
{
    createFile(path, size);
    LinuxFileSystem fileSystem;
    EngineRun run;
    // Give freed heap pages back first, so that the run's buffers show up as fresh pages rather than
    // reusing the resident leftovers of an earlier run.
    ::malloc_trim(0);
    const bool peakReset = resetPeakMemory();
    const long before = statusKb("VmRSS");
    const auto start = std::chrono::steady_clock::now();
    const modShredder::ShredResult result =
        modShredder::ShredFile(std::filesystem::path(path), 9, fileSystem, [] {});
    run.seconds = secondsSince(start);
    if (peakReset)
        run.peakAboveStartKb = statusKb("VmHWM") - before;
    run.complete = result.fullyOverwritten() && ::access(path.c_str(), F_OK) != 0;
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FOLDER [SIZE_MIB]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const long sizeMiB = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 256;
    if (sizeMiB < 1) {
        std::fprintf(stderr, "bench_shred: SIZE_MIB must be at least 1\n");
        return 2;
    }
    const qint64 size = sizeMiB * MiB;
    const qint64 smallSize = std::max<qint64>(MiB, size / 16);
    const std::string path = folder + "/bench-shred-" + std::to_string(::getpid()) + ".dat";

    std::printf("folder %s, file %ld MiB, %d synced sweeps each\n", folder.c_str(), sizeMiB, Sweeps);
    std::fflush(stdout);

    // A first small run loads and touches the code, so that the measured runs count buffers only.
    timeEngine(path, MiB);
    const EngineRun small = timeEngine(path, smallSize);
    const double limit = timeLimit(path, size);
    const EngineRun engine = timeEngine(path, size);

    const double mibPerSecond = double(size) * Sweeps / MiB;
    std::printf("limit  (1 MiB writes + fdatasync) %8.2f s  %7.1f MiB/s\n", limit, mibPerSecond / limit);
    std::printf("engine (ShredFile, 9 passes)      %8.2f s  %7.1f MiB/s%s\n", engine.seconds,
                mibPerSecond / engine.seconds, engine.complete ? "" : "  INCOMPLETE RUN");
    std::printf("engine/limit %.2f (target <= 1.20)\n", engine.seconds / limit);
    std::printf("engine peak memory above the start of the run: %ld kB for %lld MiB, %ld kB for %ld MiB\n",
                small.peakAboveStartKb, static_cast<long long>(smallSize / MiB), engine.peakAboveStartKb,
                sizeMiB);
    return engine.complete && small.complete ? 0 : 1;
}
