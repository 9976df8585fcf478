// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows file layer on real files in a temporary folder (under Wine one of the Linux file system), and
// the overwrite check on cluster maps recorded by hand for file systems Wine does not have.

#include "platform/windows/WindowsFileSystem.h"
#include "engine/OverwriteCheck.h"
#include "engine/Shredder.h"
#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/windows/ClusterMap.h"
#include "platform/windows/FileHandle.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Path = std::filesystem::path;
using Bytes = std::vector<unsigned char>;
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The \\?\ form, so that the test's own file calls reach paths of any length.
std::wstring longForm(const Path& path)
{
    return LR"(\\?\)" + path.native();
}

void writeFile(const Path& path, const Bytes& bytes)
{
    const FileHandle file(
        ::CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
}

Bytes contents(const Path& path)
{
    const FileHandle file(
        ::CreateFileW(longForm(path).c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size))
        return {};
    Bytes bytes(std::size_t(size.QuadPart));
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

bool present(const Path& path)
{
    return ::GetFileAttributesW(longForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A process of this program that acts on a file as its parent asks: the test below, which runs only there.
class HelperProcess
{
public:
    HelperProcess(const wchar_t* role, const Path& file)
    {
        static int count = 0;
        const std::wstring ready = L"Local\\tilgomatic-test-" + std::to_wstring(::GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(++count);
        m_ready = FileHandle(::CreateEventW(nullptr, TRUE, FALSE, ready.c_str()));
        ::SetEnvironmentVariableW(L"TILGOMATIC_HELPER_ROLE", role);
        ::SetEnvironmentVariableW(L"TILGOMATIC_HELPER_FILE", file.c_str());
        ::SetEnvironmentVariableW(L"TILGOMATIC_HELPER_READY", ready.c_str());
        wchar_t program[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(program) +
                               L"\" --gtest_also_run_disabled_tests --gtest_filter=WindowsFileSystemHelper.*";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process)) {
            ::CloseHandle(process.hThread);
            m_process = FileHandle(process.hProcess);
        }
    }
    ~HelperProcess() { kill(); }

    // True once the helper has done what it was asked to and goes on (or waits to be killed).
    bool ready()
    {
        const HANDLE both[] = {m_ready.get(), m_process.get()};
        return m_process && ::WaitForMultipleObjects(2, both, FALSE, 60000) == WAIT_OBJECT_0;
    }
    void kill()
    {
        if (m_process && ::TerminateProcess(m_process.get(), 1))
            ::WaitForSingleObject(m_process.get(), INFINITE);
        m_process = FileHandle();
    }

private:
    FileHandle m_ready;
    FileHandle m_process;
};

std::wstring environment(const wchar_t* name)
{
    wchar_t value[2048] = {};
    return ::GetEnvironmentVariableW(name, value, 2048) ? value : L"";
}

class WindowsFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        static int count = 0;
        dir = Path(temp) /
              (L"tilgomatic-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++count));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(longForm(dir), ignored))
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(longForm(dir), ignored);
    }

    Path file(const wchar_t* name, std::size_t size, unsigned char byte = 0x33)
    {
        const Path path = dir / name;
        writeFile(path, Bytes(size, byte));
        return path;
    }

    // Every file of the folder with its bytes and attributes: what a run that writes nothing leaves alone.
    std::map<std::wstring, std::pair<Bytes, DWORD>> snapshot() const
    {
        std::map<std::wstring, std::pair<Bytes, DWORD>> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file())
                files[entry.path().filename().native()] = {contents(entry.path()),
                                                           ::GetFileAttributesW(entry.path().c_str())};
        return files;
    }

    Path dir;
    WindowsFileSystem fs;
};

// The buffer FSCTL_GET_RETRIEVAL_POINTERS fills: the first VCN and, per run, the next VCN and the LCN.
Bytes retrievalPointers(std::int64_t startingVcn,
                        const std::vector<std::pair<std::int64_t, std::int64_t>>& runs)
{
    using Run = std::remove_cvref_t<decltype(RETRIEVAL_POINTERS_BUFFER{}.Extents[0])>;
    Bytes buffer(offsetof(RETRIEVAL_POINTERS_BUFFER, Extents) + runs.size() * sizeof(Run));
    RETRIEVAL_POINTERS_BUFFER head{};
    head.ExtentCount = DWORD(runs.size());
    head.StartingVcn.QuadPart = startingVcn;
    std::memcpy(buffer.data(), &head, offsetof(RETRIEVAL_POINTERS_BUFFER, Extents));
    for (std::size_t i = 0; i < runs.size(); ++i) {
        Run run{};
        run.NextVcn.QuadPart = runs[i].first;
        run.Lcn.QuadPart = runs[i].second;
        std::memcpy(buffer.data() + offsetof(RETRIEVAL_POINTERS_BUFFER, Extents) + i * sizeof run, &run,
                    sizeof run);
    }
    return buffer;
}

} // namespace

// Not a test: the part a helper process plays (see HelperProcess), run only when its parent asks for it.
TEST(WindowsFileSystemHelper, DISABLED_PlaysTheRoleItsParentGives)
{
    const std::wstring role = environment(L"TILGOMATIC_HELPER_ROLE");
    const Path file = environment(L"TILGOMATIC_HELPER_FILE");
    const FileHandle ready(
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, environment(L"TILGOMATIC_HELPER_READY").c_str()));
    ASSERT_TRUE(ready);
    if (role == L"hold") {
        // As an editor holds a file it shows: for reading, every other use admitted.
        const FileHandle held(
            ::CreateFileW(file.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ::SetEvent(ready.get());
        ::Sleep(60000);
    } else if (role == L"shred") {
        WindowsFileSystem fs;
        // Told after the first block is written; the parent kills this process meanwhile.
        modShredder::ShredFile(file, 9, fs, [&] { ::SetEvent(ready.get()); });
    }
}

// Every size a sweep treats differently, and a path far beyond 260 characters: the run removes the file
// and leaves its neighbour alone. The name goes once the last handle of the file is gone (the identity's
// too, where the file system cannot remove a name at once, as under Wine).
TEST_F(WindowsFileSystemTest, RunsRemoveFilesOfEverySizeAndNothingElse)
{
    Path deep = dir;
    for (int level = 0; level < 5; ++level)
        deep /= std::wstring(60, wchar_t(L'a' + level));
    std::filesystem::create_directories(longForm(deep));
    struct Case
    {
        Path folder;
        std::size_t size;
    };
    const Case cases[] = {{dir, 0}, {dir, 1}, {dir, 32767}, {dir, 32768}, {dir, 32769}, {deep, 32769}};
    for (const Case& c : cases) {
        const Path target = c.folder / L"Zielgrösse.bin";
        const Path neighbour = c.folder / L"neighbour.bin";
        writeFile(target, Bytes(c.size, 0x33));
        writeFile(neighbour, Bytes(40000, 0x44));
        ASSERT_GT(target.native().size(), c.folder == deep ? 300u : 0u);
        {
            const FileIdentity identity = fs.identify(target);
            ASSERT_TRUE(identity.holdsFile()) << c.size;
            const modShredder::ShredResult result =
                modShredder::ShredFile(target, 9, fs, {}, nullptr, identity);
            EXPECT_EQ(result.open, OpenStatus::Opened) << c.size;
            EXPECT_TRUE(result.fullyOverwritten()) << c.size;
        }
        EXPECT_FALSE(present(target)) << c.size;
        EXPECT_EQ(contents(neighbour), Bytes(40000, 0x44)) << c.size;
    }
}

// The open handle writes over the file's own bytes, rewinds and flushes; closed without removeName the file
// keeps its name; while it is open nobody else gets at the data, though the identity held blocks nothing.
TEST_F(WindowsFileSystemTest, WritesInPlaceAndKeepsTheNameUntilRemoved)
{
    const Path target = file(L"kept.bin", 40000, 'a');
    const FileIdentity identity = fs.identify(target);
    const FileSystem::OpenResult opened = fs.openExclusive(target, identity);
    ASSERT_EQ(opened.status, OpenStatus::Opened);
    EXPECT_EQ(opened.length, 40000);
    EXPECT_FALSE(::CreateFileW(target.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, 0, nullptr) !=
                 INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(fs.write(opened.handle, Bytes(32768, 'b').data(), 32768));
    EXPECT_TRUE(fs.seekToStart(opened.handle));
    EXPECT_TRUE(fs.write(opened.handle, "c", 1));
    EXPECT_TRUE(fs.sync(opened.handle));
    const StorageMap map = fs.storageMap(opened.handle);
    EXPECT_TRUE(map.known);
    EXPECT_EQ(map.size, 40000);
    EXPECT_EQ(map.otherNames, 0u);
    // As a run whose name could not be removed gives the write protection back, before its close.
    fs.setHeldAttributes(target, identity, FileAttributes::ReadOnly | FileAttributes::Archive);
    EXPECT_EQ(fs.attributes(target), FileAttributes::ReadOnly | FileAttributes::Archive);
    EXPECT_TRUE(fs.close(opened.handle));

    Bytes expected(40000, 'a');
    std::fill(expected.begin(), expected.begin() + 32768, 'b');
    expected[0] = 'c';
    EXPECT_EQ(contents(target), expected);
    EXPECT_TRUE(fs.isSameFile(target, identity));
    EXPECT_FALSE(fs.removeName(opened.handle)); // closed: nothing of it is left to remove
}

// Whatever the open refuses, neither it nor a run writes anything, and a run gives back the write protection
// it took off. A run on a name that names no file ends before the open, with the FileError of its length.
TEST_F(WindowsFileSystemTest, OpenRefusesWhatItMustNotTouch)
{
    struct Case
    {
        const char* what;
        OpenStatus status;
        bool lengthFails;
        // Prepares the folder and returns the path a run is started on, with what it should take it for.
        std::function<std::pair<Path, FileIdentity>()> prepare;
    };
    std::unique_ptr<HelperProcess> holder;
    const Case cases[] = {
        {"missing", OpenStatus::NotFound, true,
         [&] { return std::pair(dir / L"missing.bin", FileIdentity()); }},
        {"folder", OpenStatus::NotRegularFile, true,
         [&] {
             std::filesystem::create_directory(dir / L"folder");
             return std::pair(dir / L"folder", fs.identify(dir / L"folder"));
         }},
        {"device", OpenStatus::NotRegularFile, true, [&] { return std::pair(dir / L"NUL", FileIdentity()); }},
        {"held by another program", OpenStatus::InUse, false,
         [&] {
             const Path target = file(L"held.bin", 1000);
             ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
             holder = std::make_unique<HelperProcess>(L"hold", target);
             EXPECT_TRUE(holder->ready());
             return std::pair(target, fs.identify(target));
         }},
        {"replaced after loading", OpenStatus::Changed, false,
         [&] {
             const Path target = file(L"replaced.bin", 1000);
             const FileIdentity loaded = fs.identify(target);
             EXPECT_TRUE(::MoveFileW(target.c_str(), (dir / L"gone.bin").c_str()));
             EXPECT_TRUE(::DeleteFileW((dir / L"gone.bin").c_str()));
             writeFile(target, Bytes(1000, 0x55));
             return std::pair(target, loaded);
         }},
        {"swapped with another by renaming", OpenStatus::Changed, false,
         [&] {
             const Path target = file(L"swapped.bin", 1000);
             const Path other = file(L"other.bin", 1000, 0x66);
             const FileIdentity loaded = fs.identify(target);
             EXPECT_TRUE(::MoveFileW(target.c_str(), (dir / L"aside.bin").c_str()));
             EXPECT_TRUE(::MoveFileW(other.c_str(), target.c_str()));
             return std::pair(target, loaded);
         }},
    };
    for (const Case& c : cases) {
        const auto [target, identity] = c.prepare();
        const auto before = snapshot();
        EXPECT_EQ(fs.openExclusive(target, identity).status, c.status) << c.what;
        if (c.lengthFails)
            EXPECT_THROW(modShredder::ShredFile(target, 9, fs, {}, nullptr, identity), FileError) << c.what;
        else
            EXPECT_EQ(modShredder::ShredFile(target, 9, fs, {}, nullptr, identity).open, c.status) << c.what;
        EXPECT_EQ(snapshot(), before) << c.what;
        holder.reset();
    }
}

// A run is killed half-way through its first sweep: the file stays under its name, partly overwritten, and
// can be run again.
TEST_F(WindowsFileSystemTest, AKilledRunLeavesTheFileUnderItsName)
{
    const Path target = file(L"killed.bin", 16 << 20);
    HelperProcess run(L"shred", target);
    ASSERT_TRUE(run.ready());
    run.kill();

    const Bytes left = contents(target);
    ASSERT_EQ(left.size(), std::size_t(16 << 20));
    EXPECT_EQ(Bytes(left.begin(), left.begin() + 32768), Bytes(32768, 0x00));
    EXPECT_EQ(modShredder::ShredFile(target, 1, fs, {}).open, OpenStatus::Opened);
    EXPECT_FALSE(present(target));
}

// Lengths beyond 32 bits, and holes that the sweeps would have to fill: a sparse file larger than the free
// space is refused before anything is touched. (36 sweeps over 4 GiB would take minutes: the large file is
// run without sweeps, which still opens, measures and removes it.)
TEST_F(WindowsFileSystemTest, SparseFilesBeyondFourGiBAndBeyondTheFreeSpace)
{
    ULARGE_INTEGER free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(dir.c_str(), &free, nullptr, nullptr));
    struct Case
    {
        const wchar_t* name;
        std::int64_t length;
        OpenStatus status;
    };
    const Case cases[] = {
        {L"large.bin", (std::int64_t(4) << 30) + 1, OpenStatus::Opened},
        {L"huge.bin", std::int64_t(free.QuadPart) + (std::int64_t(1) << 30), OpenStatus::NoSpace}};
    for (const Case& c : cases) {
        const Path target = dir / c.name;
        {
            const FileHandle sparse(
                ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
            DWORD returned = 0;
            ::DeviceIoControl(sparse.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
            LARGE_INTEGER end{};
            end.QuadPart = c.length;
            ASSERT_TRUE(::SetFilePointerEx(sparse.get(), end, nullptr, FILE_BEGIN) &&
                        ::SetEndOfFile(sparse.get()));
        }
        EXPECT_EQ(fs.fileLength(target), c.length);
        const FileIdentity identity = fs.identify(target);
        EXPECT_EQ(fs.outlook(identity).status,
                  c.status == OpenStatus::NoSpace ? c.status : OpenStatus::Opened);
        const FileSystem::OpenResult opened = fs.openExclusive(target, identity);
        EXPECT_EQ(opened.status, c.status);
        if (opened.status == OpenStatus::Opened) {
            EXPECT_EQ(opened.length, c.length);
            fs.close(opened.handle);
        } else {
            EXPECT_GT(opened.spaceNeeded, opened.spaceFree);
            EXPECT_GE(opened.spaceNeeded, std::int64_t(free.QuadPart));
        }
        const modShredder::ShredResult result = modShredder::ShredFile(target, 0, fs, {}, nullptr, identity);
        EXPECT_EQ(result.open, c.status);
        EXPECT_EQ(result.nameRemoved, c.status == OpenStatus::Opened);
    }
    EXPECT_FALSE(present(dir / L"large.bin"));
    EXPECT_EQ(fs.fileLength(dir / L"huge.bin"), cases[1].length);
}

// The attribute word, and the looks at names, times and long forms that the panel and the intake take.
TEST_F(WindowsFileSystemTest, AttributesNamesTimesAndLongForms)
{
    // Wine cannot take the archive attribute away, so every file here keeps it.
    const std::pair<DWORD, int> words[] = {
        {FILE_ATTRIBUTE_ARCHIVE, FileAttributes::Archive},
        {FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY,
         FileAttributes::Archive | FileAttributes::ReadOnly},
        {FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         FileAttributes::Archive | FileAttributes::Hidden | FileAttributes::System},
    };
    const Path target = file(L"Grösse.txt", 10);
    for (const auto& [windows, word] : words) {
        ASSERT_TRUE(::SetFileAttributesW(target.c_str(), windows));
        EXPECT_EQ(fs.attributes(target), word);
        fs.setAttributes(target, FileAttributes::Archive);
        EXPECT_EQ(::GetFileAttributesW(target.c_str()) & 0x37, DWORD(FILE_ATTRIBUTE_ARCHIVE));
        fs.setAttributes(target, word);
        EXPECT_EQ(fs.attributes(target), word);
    }
    std::filesystem::create_directory(dir / L"folder");
    EXPECT_TRUE(fs.attributes(dir / L"folder") & FileAttributes::Directory);

    const auto errorOf = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const FileError& error) {
            return error.error();
        }
        return std::error_code();
    };
    EXPECT_EQ(errorOf([&] { fs.attributes(dir / L"missing"); }).value(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(errorOf([&] { fs.fileLength(dir / L"missing"); }).value(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(errorOf([&] { fs.setAttributes(dir / L"missing", 0); }).value(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(errorOf([&] { fs.fileLength(dir / L"folder"); }), std::errc::is_a_directory);
    EXPECT_EQ(fs.fileLength(target), 10);

    std::vector<Path> names = fs.namesIn(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<Path>{L"Grösse.txt", L"folder"}));
    EXPECT_TRUE(fs.namesIn(dir / L"missing").empty());

    // Through the file held, never through the name: a file put under the name meanwhile keeps its own.
    const Path loaded = file(L"loaded.txt", 1);
    const FileIdentity identity = fs.identify(loaded);
    ASSERT_TRUE(::MoveFileW(loaded.c_str(), (dir / L"moved.txt").c_str()));
    writeFile(loaded, Bytes(1, 'n'));
    fs.setHeldAttributes(loaded, identity, FileAttributes::ReadOnly | FileAttributes::Archive);
    EXPECT_EQ(fs.heldAttributes(loaded, identity), FileAttributes::ReadOnly | FileAttributes::Archive);
    EXPECT_EQ(fs.attributes(dir / L"moved.txt"), FileAttributes::ReadOnly | FileAttributes::Archive);
    EXPECT_EQ(fs.attributes(loaded), FileAttributes::Archive);

    const auto age = std::chrono::system_clock::now() - fs.modifiedTime(target).value();
    EXPECT_LT(std::chrono::abs(age), std::chrono::minutes(5));
    EXPECT_FALSE(fs.modifiedTime(dir / L"missing"));

    Path deep = dir;
    for (int level = 0; level < 5; ++level)
        deep /= std::wstring(60, L'x');
    std::filesystem::create_directories(longForm(deep));
    writeFile(deep / L"long.txt", Bytes(1, 'x'));
    EXPECT_EQ(fs.longPathName(target), target);
    EXPECT_EQ(fs.longPathName(deep / L"long.txt"), deep / L"long.txt");
    EXPECT_EQ(fs.fileLength(deep / L"long.txt"), 1);
    EXPECT_TRUE(fs.longPathName(dir / L"missing").empty());
}

// What Windows answers about a file's clusters, recorded by hand, through the translation into the core's
// verdict: the core alone decides, the same way as on Linux.
TEST(WindowsClusterMap, RecordedAnswersGiveTheirVerdict)
{
    using OverwriteCheck::Outcome;
    using OverwriteCheck::Reason;
    using Runs = ClusterMap::Runs;
    constexpr std::uint64_t Cluster = 4096;
    const auto answers = [](const wchar_t* fileSystem, Runs runs, Bytes pointers, std::int64_t size = 40960,
                            DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
        ClusterMap::Answers a;
        a.volumeKnown = a.fileKnown = true;
        a.fileSystemName = fileSystem;
        a.attributes = attributes;
        a.size = size;
        a.clusterSize = Cluster;
        a.runs = runs;
        a.retrievalPointers = std::move(pointers);
        return a;
    };
    const Bytes tenClusters = retrievalPointers(0, {{10, 5000}});
    const Bytes split = retrievalPointers(0, {{4, 5000}, {10, 5004}});
    const Bytes moved = retrievalPointers(0, {{4, 5000}, {10, 9000}});
    const Bytes withHole = retrievalPointers(0, {{4, 5000}, {10, -1}});
    const Bytes holeFilled = retrievalPointers(0, {{4, 5000}, {10, 7000}});
    // What Wine answers for every file: one run that ends before it starts.
    const Bytes wine = retrievalPointers(1, {{0, 0}});
    const Bytes cut(tenClusters.begin(), tenClusters.end() - 1);

    ClusterMap::Answers unknownVolume = answers(L"NTFS", Runs::Listed, tenClusters);
    unknownVolume.volumeKnown = false;
    ClusterMap::Answers share = answers(L"NTFS", Runs::Listed, tenClusters);
    share.remote = true;
    ClusterMap::Answers linkedOnFlash = answers(L"NTFS", Runs::Listed, tenClusters);
    linkedOnFlash.links = 2;
    linkedOnFlash.seekPenalty = false;
    struct Case
    {
        const char* what;
        ClusterMap::Answers before, after;
        Outcome outcome;
        Reason reason;
        const char* fileSystem;
        bool otherNames = false;
        bool flash = false;
    };
    // clang-format off
    const Case cases[] = {
        {"NTFS in place", answers(L"NTFS", Runs::Listed, tenClusters), answers(L"NTFS", Runs::Listed, split), Outcome::Verified, Reason::None, "NTFS"},
        {"NTFS moved", answers(L"NTFS", Runs::Listed, tenClusters), answers(L"NTFS", Runs::Listed, moved), Outcome::NotReached, Reason::CopyOnWrite, "NTFS"},
        {"NTFS hole filled", answers(L"NTFS", Runs::Listed, withHole), answers(L"NTFS", Runs::Listed, holeFilled), Outcome::Verified, Reason::None, "NTFS"},
        {"NTFS compressed", answers(L"NTFS", Runs::Listed, withHole, 40960, FILE_ATTRIBUTE_COMPRESSED), answers(L"NTFS", Runs::Listed, withHole, 40960, FILE_ATTRIBUTE_COMPRESSED), Outcome::NotReached, Reason::CopyOnWrite, "NTFS"},
        {"NTFS encrypted", answers(L"NTFS", Runs::Listed, tenClusters, 40960, FILE_ATTRIBUTE_ENCRYPTED), answers(L"NTFS", Runs::Listed, tenClusters, 40960, FILE_ATTRIBUTE_ENCRYPTED), Outcome::NotReached, Reason::Encrypted, "NTFS"},
        {"NTFS resident", answers(L"NTFS", Runs::NoClusters, {}, 700), answers(L"NTFS", Runs::NoClusters, {}, 700), Outcome::NotReached, Reason::Inline, "NTFS"},
        {"NTFS empty", answers(L"NTFS", Runs::NoClusters, {}, 0), answers(L"NTFS", Runs::NoClusters, {}, 0), Outcome::Verified, Reason::None, "NTFS"},
        {"NTFS, hard link, flash", linkedOnFlash, linkedOnFlash, Outcome::Verified, Reason::None, "NTFS", true, true},
        {"ReFS in place", answers(L"ReFS", Runs::Listed, tenClusters), answers(L"ReFS", Runs::Listed, tenClusters), Outcome::NotReached, Reason::CopyOnWrite, "ReFS"},
        {"FAT32 in place", answers(L"FAT32", Runs::Listed, tenClusters), answers(L"FAT32", Runs::Listed, tenClusters), Outcome::Verified, Reason::None, "FAT"},
        {"exFAT without runs", answers(L"exFAT", Runs::Unreadable, {}), answers(L"exFAT", Runs::Unreadable, {}), Outcome::Verified, Reason::None, "exFAT"},
        {"NTFS without runs", answers(L"NTFS", Runs::Unreadable, {}), answers(L"NTFS", Runs::Unreadable, {}), Outcome::NotCheckable, Reason::None, "NTFS"},
        {"Wine's answer", answers(L"NTFS", Runs::Listed, wine), answers(L"NTFS", Runs::Listed, wine), Outcome::NotCheckable, Reason::None, "NTFS"},
        {"cut buffer", answers(L"NTFS", Runs::Listed, cut), answers(L"NTFS", Runs::Listed, tenClusters), Outcome::NotCheckable, Reason::None, "NTFS"},
        {"share", share, share, Outcome::NotCheckable, Reason::None, "NTFS"},
        {"unknown volume", unknownVolume, answers(L"NTFS", Runs::Listed, tenClusters), Outcome::NotCheckable, Reason::None, ""},
        {"UDF", answers(L"UDF", Runs::Listed, tenClusters), answers(L"UDF", Runs::Listed, tenClusters), Outcome::NotCheckable, Reason::None, "UDF"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const OverwriteCheck::Result result =
            OverwriteCheck::judge(ClusterMap::translate(c.before), ClusterMap::translate(c.after));
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.reason, c.reason) << c.what;
        EXPECT_EQ(result.fileSystem, c.fileSystem) << c.what;
        EXPECT_EQ(result.otherNames, c.otherNames) << c.what;
        EXPECT_EQ(result.flash, c.flash) << c.what;
    }
}
