// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace BenchFiles {

void fail(const std::string& what)
{
    std::fprintf(stderr, "bench: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void createFile(const std::string& path, qint64 size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        fail("create " + path);
    std::vector<quint64> buffer(MiB / sizeof(quint64));
    quint64 state = 0x9E3779B97F4A7C15ull;
    for (qint64 done = 0; done < size; done += MiB) {
        for (quint64& word : buffer) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        const size_t count = size_t(std::min(MiB, size - done));
        if (::write(fd, buffer.data(), count) != ssize_t(count))
            fail("write " + path);
    }
    if (::fdatasync(fd) != 0 || ::close(fd) != 0)
        fail("sync " + path);
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace BenchFiles
