// SPDX-License-Identifier: GPL-3.0-or-later
// The calls a shredding run makes, in order, recorded by the file-system double.

#include "engine/Shredder.h"
#include "platform/FileError.h"
#include "support/RecordingFileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

using modShredder::ShredFile;
using modShredder::ShredResult;
using Kind = RecordingFileSystem::Kind;
using Call = RecordingFileSystem::Call;

namespace {

constexpr std::int64_t Block = 32768;
constexpr int AnyRandom = -2; // a write whose bytes all hold one value from 1 to 255
const std::string Path = "/data/secret.txt";

struct Step
{
    Kind kind;
    std::int64_t size = 0;
    int value = -1;
};

// The run the delete command asks for, written down from the sweep table: per fixed pass the sweeps
// 0x00/0x5A (yield after each block), 0xFF/0xFF and 0xFF/0x8C; then per random pass a yield and a sweep
// of one random value per block and one for the tail. Each sweep ends with its tail write (even an empty
// one), a sync and the rewind.
std::vector<Step> expectedRun(std::int64_t length, int passes, bool nameRemoved = true)
{
    const std::int64_t blocks = length >= Block ? length / Block : 0;
    const std::int64_t tail = length - blocks * Block;
    std::vector<Step> steps{{Kind::FileLength}, {Kind::Attributes}, {Kind::Open}, {Kind::StorageMap}};
    auto sweep = [&](int blockByte, int tailByte, bool yieldAfterBlock) {
        for (std::int64_t i = 0; i < blocks; ++i) {
            steps.push_back({Kind::Write, Block, blockByte});
            if (yieldAfterBlock)
                steps.push_back({Kind::Yield});
        }
        steps.push_back({Kind::Write, tail, tail ? tailByte : -1});
        steps.push_back({Kind::Sync});
        steps.push_back({Kind::Seek});
    };
    for (int k = 0; k < passes; ++k) {
        sweep(0x00, 0x5A, true);
        sweep(0xFF, 0xFF, false);
        sweep(0xFF, 0x8C, false);
    }
    for (int i = 0; i < passes; ++i) {
        steps.push_back({Kind::Yield});
        sweep(AnyRandom, AnyRandom, false);
    }
    steps.push_back({Kind::StorageMap});
    if (nameRemoved)
        steps.push_back({Kind::RemoveName});
    steps.push_back({Kind::Close});
    return steps;
}

bool matches(const Call& call, const Step& step)
{
    if (call.kind != step.kind || call.size != step.size)
        return false;
    if (call.kind != Kind::Write)
        return true;
    if (step.value == AnyRandom)
        return call.size == 0 ? call.value == -1 : (call.value >= 1 && call.value <= 255);
    return call.value == step.value;
}

// Compares the whole log with the expected steps and names the first difference.
::testing::AssertionResult followsSteps(const std::vector<Call>& calls, const std::vector<Step>& steps)
{
    for (size_t i = 0; i < std::min(calls.size(), steps.size()); ++i) {
        if (!matches(calls[i], steps[i])) {
            const Call wanted{steps[i].kind, {}, steps[i].size, steps[i].value};
            return ::testing::AssertionFailure()
                   << "call " << i << " is " << describe(calls[i]) << ", expected " << describe(wanted);
        }
    }
    if (calls.size() != steps.size())
        return ::testing::AssertionFailure() << calls.size() << " calls, expected " << steps.size();
    return ::testing::AssertionSuccess();
}

ShredResult shred(RecordingFileSystem& fs, int passes = 9)
{
    return ShredFile(Path, std::int16_t(passes), fs, [&fs] { fs.recordYield(); });
}

// The values of the non-empty writes of each random sweep. A random pass starts with a yield right after
// a rewind; the yields of the fixed sweeps follow block writes.
std::vector<std::vector<int>> randomSweepValues(const RecordingFileSystem& fs)
{
    std::vector<std::vector<int>> sweeps;
    Kind previous = Kind::Open;
    for (const Call& call : fs.calls) {
        if (call.kind == Kind::Yield && previous == Kind::Seek)
            sweeps.emplace_back();
        else if (call.kind == Kind::Write && !sweeps.empty() && call.size > 0)
            sweeps.back().push_back(call.value);
        previous = call.kind;
    }
    return sweeps;
}

} // namespace

class ShredSequence : public ::testing::TestWithParam<std::int64_t>
{
};

TEST_P(ShredSequence, NinePassesWriteTheSweepTable)
{
    RecordingFileSystem fs;
    fs.length = GetParam();

    const ShredResult result = shred(fs);

    EXPECT_TRUE(followsSteps(fs.calls, expectedRun(GetParam(), 9)));
    EXPECT_TRUE(result.fullyOverwritten());
    EXPECT_EQ(result.open, OpenStatus::Opened);
    EXPECT_EQ(fs.furthestPosition, GetParam()) << "a sweep wrote past the end or stopped short";
    EXPECT_EQ(fs.strayHandleUses, 0);
    EXPECT_EQ(fs.callsOf(Kind::Open).at(0).path, Path);
    EXPECT_EQ(fs.callsOf(Kind::Seek).size(), 36u);
    EXPECT_EQ(fs.callsOf(Kind::Sync).size(), 36u);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ShredSequence,
                         ::testing::Values(std::int64_t(0), std::int64_t(1), std::int64_t(32767),
                                           std::int64_t(32768), std::int64_t(32769), std::int64_t(65536)),
                         [](const ::testing::TestParamInfo<std::int64_t>& info) {
                             return "Bytes" + std::to_string(info.param);
                         });

TEST(ShredPassCount, ZeroOrNegativeOnlyOpensAndCloses)
{
    for (int passes : {0, -1, -32768}) {
        RecordingFileSystem fs;
        fs.length = 65537;
        const ShredResult result = shred(fs, passes);
        EXPECT_TRUE(followsSteps(fs.calls, {{Kind::FileLength},
                                            {Kind::Attributes},
                                            {Kind::Open},
                                            {Kind::StorageMap},
                                            {Kind::StorageMap},
                                            {Kind::RemoveName},
                                            {Kind::Close}}))
            << "passes " << passes;
        EXPECT_TRUE(result.opened());
        // Nothing was written, so nothing is vouched for.
        EXPECT_FALSE(result.destroyed());
    }
}

TEST(ShredRandom, ValuesAreNeverZeroAndDrawnPerBlock)
{
    RecordingFileSystem fs;
    fs.length = 256 * Block + 100;
    shred(fs);

    const auto sweeps = randomSweepValues(fs);
    ASSERT_EQ(sweeps.size(), 9u);
    std::set<int> distinct;
    for (const auto& values : sweeps) {
        ASSERT_EQ(values.size(), 257u);
        for (int value : values)
            ASSERT_TRUE(value >= 1 && value <= 255) << value;
        distinct.insert(values.begin(), values.end());
        // 256 blocks drawing one value for all would be a 1 in 255^255 chance.
        EXPECT_GT(std::set<int>(values.begin(), values.end()).size(), 1u);
    }
    // 2313 draws from 255 values cover nearly all of them.
    EXPECT_GT(distinct.size(), 200u);
}

TEST(ShredRandom, TwoBlocksOfASweepAreDrawnIndependently)
{
    // 65,536 bytes: two blocks per random sweep. Equal pairs happen (1 in 255 per sweep), but not in
    // every one of many runs.
    int unequalPairs = 0;
    for (int run = 0; run < 20; ++run) {
        RecordingFileSystem fs;
        fs.length = 2 * Block;
        shred(fs);
        for (const auto& values : randomSweepValues(fs)) {
            ASSERT_EQ(values.size(), 2u);
            unequalPairs += values[0] != values[1];
        }
    }
    EXPECT_GT(unequalPairs, 150);
}

TEST(ShredRandom, EachRunIsSeededAfresh)
{
    auto drawOneRun = [] {
        RecordingFileSystem fs;
        fs.length = 64 * Block;
        shred(fs);
        return randomSweepValues(fs);
    };
    EXPECT_NE(drawOneRun(), drawOneRun());
}

TEST(ShredRandom, ByteValueCoversOneTo255Evenly)
{
    using modShredder::randomByte;
    using modShredder::unitInterval;
    EXPECT_EQ(unitInterval(0), 0.0f);
    EXPECT_LT(unitInterval(0xFFFFFFFFu), 1.0f);
    EXPECT_EQ(randomByte(0.0f), 1);
    EXPECT_EQ(randomByte(std::nextafter(1.0f, 0.0f)), 255);
    EXPECT_EQ(randomByte(unitInterval(0xFFFFFFFFu)), 255);

    // Every r the generator can give, once: each byte value takes 2^24 / 255 of them.
    std::vector<int> counts(256, 0);
    for (std::uint32_t top = 0; top < (1u << 24); ++top)
        ++counts[randomByte(unitInterval(top << 8))];
    EXPECT_EQ(counts[0], 0);
    for (int b = 1; b <= 255; ++b)
        EXPECT_TRUE(counts[b] == 65793 || counts[b] == 65794) << "byte " << b << ": " << counts[b];
}

TEST(ShredAttributes, OnlyPlainReadOnlyWordsBecomeArchive)
{
    const std::set<int> plainReadOnly{1, 3, 5, 7, 33, 35, 37, 39};
    for (int word = 0; word < 128; ++word) {
        RecordingFileSystem fs;
        fs.attributeWord = word;
        shred(fs, 1);
        const auto set = fs.callsOf(Kind::SetAttributes);
        if (plainReadOnly.count(word)) {
            ASSERT_EQ(set.size(), 1u) << "word " << word;
            EXPECT_EQ(set[0].value, 32);
            EXPECT_EQ(fs.calls.at(2).kind, Kind::SetAttributes) << "the change comes before the open";
            EXPECT_EQ(fs.calls.at(3).kind, Kind::Open);
        } else {
            EXPECT_TRUE(set.empty()) << "word " << word;
        }
    }
}

TEST(ShredFailures, QueryErrorsPassUpBeforeAnythingIsOpened)
{
    {
        RecordingFileSystem fs;
        fs.lengthError = ENOENT;
        EXPECT_THROW(shred(fs), FileError);
        EXPECT_TRUE(followsSteps(fs.calls, {{Kind::FileLength}}));
    }
    {
        RecordingFileSystem fs;
        fs.attributesError = EACCES;
        EXPECT_THROW(shred(fs), FileError);
        EXPECT_TRUE(followsSteps(fs.calls, {{Kind::FileLength}, {Kind::Attributes}}));
    }
    {
        RecordingFileSystem fs;
        fs.attributeWord = 1;
        fs.setAttributesError = EPERM;
        EXPECT_THROW(shred(fs), FileError);
        EXPECT_TRUE(followsSteps(fs.calls, {{Kind::FileLength}, {Kind::Attributes}, {Kind::SetAttributes}}));
    }
}

TEST(ShredFailures, FailedOpenWritesNothingAndSaysWhy)
{
    for (OpenStatus status : {OpenStatus::InUse, OpenStatus::AccessDenied, OpenStatus::NotRegularFile,
                              OpenStatus::NotFound, OpenStatus::NoSpace, OpenStatus::Failed}) {
        RecordingFileSystem fs;
        fs.length = 70000;
        fs.attributeWord = 33;
        fs.openStatus = status;
        const ShredResult result = shred(fs);
        EXPECT_EQ(result.open, status);
        EXPECT_FALSE(result.opened());
        EXPECT_FALSE(result.fullyOverwritten());
        EXPECT_TRUE(followsSteps(fs.calls, {{Kind::FileLength},
                                            {Kind::Attributes},
                                            {Kind::SetAttributes},
                                            {Kind::Open},
                                            {Kind::SetAttributes}}));
        EXPECT_EQ(fs.attributeWord, 33) << "read-only is put back";
    }
}

// The engine's own checks, whatever the platform's open would still catch: a file swapped since it was
// loaded, or one whose sweeps cannot fit, is never opened.
TEST(ShredFailures, ASwappedFileOrOneWhoseSweepsCannotFitIsNeverOpened)
{
    const std::pair<std::function<void(RecordingFileSystem&)>, OpenStatus> rows[] = {
        {[](RecordingFileSystem& fs) { fs.inode = 2; }, OpenStatus::Changed},
        {[](RecordingFileSystem& fs) {
             fs.seen = {OpenStatus::NoSpace, 8192, 4096};
         },
         OpenStatus::NoSpace},
    };
    for (const auto& [meanwhile, status] : rows) {
        RecordingFileSystem fs;
        fs.length = 70000;
        const FileIdentity loaded = fs.identify(Path);
        meanwhile(fs);
        const ShredResult result = ShredFile(Path, 9, fs, {}, nullptr, loaded);
        EXPECT_EQ(result.open, status);
        EXPECT_TRUE(fs.callsOf(Kind::Open).empty());
        EXPECT_TRUE(fs.callsOf(Kind::Write).empty());
    }
}

TEST(ShredFailures, FailedWriteIsReportedAndTheSweepsGoOn)
{
    RecordingFileSystem fs;
    fs.length = 65536;
    fs.failingWrites = {0, 50};
    const ShredResult result = shred(fs);
    EXPECT_TRUE(followsSteps(fs.calls, expectedRun(65536, 9, false)));
    EXPECT_TRUE(result.opened());
    EXPECT_FALSE(result.writesOk);
    EXPECT_TRUE(result.syncsOk);
    EXPECT_FALSE(result.fullyOverwritten());
}

TEST(ShredFailures, FailedSyncIsReportedAndTheSweepsGoOn)
{
    RecordingFileSystem fs;
    fs.length = 40000;
    fs.failingSyncs = {35};
    const ShredResult result = shred(fs);
    EXPECT_TRUE(followsSteps(fs.calls, expectedRun(40000, 9, false)));
    EXPECT_TRUE(result.writesOk);
    EXPECT_FALSE(result.syncsOk);
    EXPECT_FALSE(result.fullyOverwritten());
}

TEST(ShredFailures, FailedRewindCountsAsAFailedWrite)
{
    RecordingFileSystem fs;
    fs.length = 10;
    fs.failingSeeks = {3};
    const ShredResult result = shred(fs);
    EXPECT_TRUE(followsSteps(fs.calls, expectedRun(10, 9, false)));
    EXPECT_FALSE(result.writesOk);
}

TEST(ShredLength, SweepsCoverTheOpenedFileNotTheQueriedLength)
{
    for (auto [queried, opened] : {std::pair<std::int64_t, std::int64_t>{100000, 40000}, {10, 70000}}) {
        RecordingFileSystem fs;
        fs.length = queried;
        fs.openedLength = opened;
        shred(fs);
        EXPECT_TRUE(followsSteps(fs.calls, expectedRun(opened, 9))) << queried << " -> " << opened;
        EXPECT_EQ(fs.furthestPosition, opened);
    }
}

TEST(ShredLength, FilesBeyondFourGibibytesGetEveryBlock)
{
    // 2^32 + 32,771 bytes: past both the signed and the unsigned 32-bit range.
    const std::int64_t length = (std::int64_t(1) << 32) + Block + 3;
    RecordingFileSystem fs;
    fs.length = length;
    fs.inspectBytes = false;
    const ShredResult result = shred(fs, 1);
    EXPECT_TRUE(result.fullyOverwritten());

    const auto writes = fs.callsOf(Kind::Write);
    const std::int64_t blocks = (std::int64_t(1) << 17) + 1;
    ASSERT_EQ(std::int64_t(writes.size()), 4 * (blocks + 1));
    for (size_t sweep = 0; sweep < 4; ++sweep) {
        std::int64_t total = 0;
        for (std::int64_t i = 0; i < blocks + 1; ++i)
            total += writes[sweep * size_t(blocks + 1) + size_t(i)].size;
        EXPECT_EQ(total, length) << "sweep " << sweep;
        EXPECT_EQ(writes[sweep * size_t(blocks + 1) + size_t(blocks)].size, 3);
    }
    EXPECT_EQ(fs.furthestPosition, length);
    EXPECT_EQ(fs.callsOf(Kind::Yield).size(), size_t(blocks + 1));
}

TEST(ShredYield, AnEmptyCallbackIsAllowed)
{
    RecordingFileSystem fs;
    fs.length = 3 * Block;
    const ShredResult result = ShredFile(Path, 2, fs, {});
    EXPECT_TRUE(result.fullyOverwritten());
    EXPECT_TRUE(fs.callsOf(Kind::Yield).empty());
    EXPECT_EQ(fs.callsOf(Kind::Write).size(), 8u * 4u); // 2 x 4 sweeps of 3 blocks and a tail
}
