// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Shredder.h"

#include "platform/FileAttributes.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <random>
#include <vector>

namespace modShredder {

namespace {

constexpr std::int64_t BlockSize = 0x8000;

// The bytes of one fixed-pattern sweep: every full block, then the tail.
struct FixedSweep
{
    unsigned char blockByte;
    unsigned char tailByte;
    bool yieldAfterEachBlock;
};

constexpr FixedSweep FixedSweeps[] = {
    {0x00, 0x5A, true},
    {0xFF, 0xFF, false},
    {0xFF, 0x8C, false},
};

// True for a read-only word whose other bits are hidden, system or archive only (1, 3, 5, 7, 33, 35, 37,
// 39): such a file is made archive-only before the open.
bool isPlainReadOnly(int word)
{
    constexpr int plainBits =
        FileAttributes::ReadOnly | FileAttributes::Hidden | FileAttributes::System | FileAttributes::Archive;
    return (word & FileAttributes::ReadOnly) && (word & ~plainBits) == 0;
}

// A seed from the clock, taken once per run.
std::seed_seq::result_type clockSeed()
{
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::seed_seq::result_type(std::uint64_t(wall) ^ (std::uint64_t(wall) >> 32) ^
                                      std::uint64_t(steady));
}

// Writes the sweeps of one run over an open handle and keeps count of what failed. Every sweep writes
// bytes 0 to length - 1 and nothing beyond: the full blocks, the tail in one write (of zero bytes when the
// tail is empty), a sync so that the sweep reaches the device before the next one overwrites it in the
// page cache, and the rewind to offset 0.
class SweepWriter
{
public:
    SweepWriter(FileSystem& fileSystem, FileSystem::Handle handle, std::int64_t length,
                const std::function<void()>& yieldToEvents, ShredResult& result, ShredProgress* progress)
        : m_fileSystem(fileSystem)
        , m_handle(handle)
        , m_blocks(length / BlockSize)
        , m_tail(length % BlockSize)
        , m_yield(yieldToEvents)
        , m_result(result)
        , m_progress(progress)
    {
        m_tailBuffer.reserve(BlockSize);
    }

    // One fixed-pattern sweep; block is one of the two constant blocks.
    void fixedSweep(const std::vector<unsigned char>& block, const FixedSweep& sweep)
    {
        for (std::int64_t i = 0; i < m_blocks; ++i) {
            write(block.data(), BlockSize);
            if (sweep.yieldAfterEachBlock)
                yield();
        }
        finishSweep(sweep.tailByte);
    }

    // One random sweep: a fresh value per full block, one more for the whole tail.
    void randomSweep(std::mt19937& generator)
    {
        for (std::int64_t i = 0; i < m_blocks; ++i) {
            std::memset(m_randomBlock.data(), randomByte(unitInterval(generator())), BlockSize);
            write(m_randomBlock.data(), BlockSize);
        }
        finishSweep(randomByte(unitInterval(generator())));
    }

    void yield()
    {
        if (m_yield)
            m_yield();
    }

private:
    void write(const void* data, std::int64_t size)
    {
        if (!m_fileSystem.write(m_handle, data, size))
            m_result.writesOk = false;
    }

    void finishSweep(unsigned char tailByte)
    {
        m_tailBuffer.assign(size_t(m_tail), tailByte);
        write(m_tailBuffer.data(), m_tail);
        m_tailBuffer.clear();
        if (!m_fileSystem.sync(m_handle))
            m_result.syncsOk = false;
        if (m_progress)
            m_progress->sweepsSynced.fetch_add(1, std::memory_order_relaxed);
        // A failed rewind would send the next sweep past the end of the file instead of over its bytes.
        if (!m_fileSystem.seekToStart(m_handle))
            m_result.writesOk = false;
    }

    FileSystem& m_fileSystem;
    const FileSystem::Handle m_handle;
    const std::int64_t m_blocks;
    const std::int64_t m_tail;
    const std::function<void()>& m_yield;
    ShredResult& m_result;
    ShredProgress* const m_progress;
    std::vector<unsigned char> m_tailBuffer;
    std::vector<unsigned char> m_randomBlock = std::vector<unsigned char>(BlockSize);
};

} // namespace

// Runs the steps of a shredding run in their order: constant blocks, the file's identity (a swapped file ends
// the run untouched), length, outlook, attributes, exclusive open, the map before, passes x (sweeps 1, 2, 3),
// seeding, passes x (yield, random sweep), the map after, name removal, close. Returns the outcome; throws
// FileError from the length and attribute steps, before anything is opened.
ShredResult ShredFile(const std::filesystem::path& path, std::int16_t passes, FileSystem& fileSystem,
                      const std::function<void()>& yieldToEvents, ShredProgress* progress,
                      const FileIdentity& identity)
{
    // The two constant blocks serve every fixed-pattern sweep. With the tail buffer and the random block
    // they are all the memory a run takes, whatever the size of the file.
    const std::vector<unsigned char> zeroBlock(BlockSize, 0x00);
    const std::vector<unsigned char> ffBlock(BlockSize, 0xFF);

    ShredResult result;
    // Every step below acts on this one file; a run given no identity takes it now.
    const FileIdentity held = identity.known ? identity : fileSystem.identify(path);
    // A file swapped in since it was described is not touched at all, not even its mode.
    if (!fileSystem.isSameFile(path, held)) {
        result.open = OpenStatus::Changed;
        return result;
    }

    // The query raises the error for a missing or unreadable file while nothing has been touched. Its
    // value is not used: the sweeps take the length of the opened file, so a file swapped in between is
    // never written past its end.
    fileSystem.fileLength(path);

    // A FIFO, socket or device, a file of /sys or /proc, one marked immutable or append-only, or one whose
    // sweeps cannot fit keeps even its mode.
    const RunOutlook outlook = fileSystem.outlook(held);
    if (outlook.status != OpenStatus::Opened) {
        result.open = outlook.status;
        result.spaceNeeded = outlook.spaceNeeded;
        result.spaceFree = outlook.spaceFree;
        return result;
    }

    const int word = fileSystem.heldAttributes(path, held);
    const bool madeWritable = isPlainReadOnly(word);
    if (madeWritable)
        fileSystem.setHeldAttributes(path, held, FileAttributes::Archive);
    // The file stays: it gets its write protection back.
    const auto giveProtectionBack = [&] {
        if (!madeWritable)
            return;
        try {
            fileSystem.setHeldAttributes(path, held, word);
        } catch (const std::exception&) {
            // The file is left writable; the panel shows it so.
        }
    };

    const FileSystem::OpenResult opened = fileSystem.openExclusive(path, held);
    result.open = opened.status;
    result.spaceNeeded = opened.spaceNeeded;
    result.spaceFree = opened.spaceFree;
    result.holder = opened.holder;
    result.holderIsTilgomatic = opened.holderIsTilgomatic;
    if (opened.status != OpenStatus::Opened) {
        // Through the name, a file swapped in would get the protection; the held file is the loaded one.
        if (opened.status != OpenStatus::Changed || held.holdsFile())
            giveProtectionBack();
        return result;
    }
    // Where the old contents lie, before anything overwrites them.
    const StorageMap before = fileSystem.storageMap(opened.handle);

    if (progress)
        progress->sweeps.store(4 * std::max<int>(passes, 0) * int(1 + opened.streams.size()),
                               std::memory_order_relaxed);
    std::mt19937 generator(clockSeed());
    const auto sweepAll = [&](FileSystem::Handle handle, std::int64_t length,
                              const std::function<void()>& yield) {
        SweepWriter writer(fileSystem, handle, std::max<std::int64_t>(length, 0), yield, result, progress);
        for (int pass = 0; pass < passes; ++pass) {
            for (const FixedSweep& sweep : FixedSweeps)
                writer.fixedSweep(sweep.blockByte == 0x00 ? zeroBlock : ffBlock, sweep);
        }
        for (int pass = 0; pass < passes; ++pass) {
            writer.yield();
            writer.randomSweep(generator);
        }
    };
    sweepAll(opened.handle, opened.length, yieldToEvents);

    // Every sweep has been synced: the blocks the file has now hold the last one.
    const StorageMap after = fileSystem.storageMap(opened.handle);
    if (passes > 0)
        result.overwrite = OverwriteCheck::judge(before, after);
    // Further data streams take the same sweeps while the file stays ours; old data left in one of them
    // counts as left in the file.
    for (const FileSystem::OpenResult::Stream& stream : opened.streams) {
        // Once one part was not verified, that decides: the later streams' maps would change nothing.
        const bool judged = passes > 0 && result.overwrite.verified();
        const StorageMap streamBefore = judged ? fileSystem.storageMap(stream.handle) : StorageMap{};
        sweepAll(stream.handle, stream.length, {});
        if (judged)
            if (const auto check = OverwriteCheck::judge(streamBefore, fileSystem.storageMap(stream.handle));
                !check.verified())
                result.overwrite = check;
        if (!fileSystem.close(stream.handle))
            result.syncsOk = false;
    }
    // The name goes only now, so that until the last sync the file can be found and run again. A run whose
    // writes failed keeps it, for the same reason.
    if (result.writesOk && result.syncsOk)
        result.nameRemoved = fileSystem.removeName(opened.handle);
    if (!result.nameRemoved)
        giveProtectionBack();
    // A close that fails, or a name that still leads to a file afterwards, is no removal.
    if (!fileSystem.close(opened.handle))
        result.nameRemoved = false;
    return result;
}

float unitInterval(std::uint32_t bits)
{
    return float(bits >> 8) * (1.0f / 16777216.0f);
}

std::uint8_t randomByte(float r)
{
    // In double precision r * 255 stays below 255 for every float r below 1, so the sum never reaches 256.
    return std::uint8_t(int(double(r) * 255.0) + 1);
}

} // namespace modShredder
