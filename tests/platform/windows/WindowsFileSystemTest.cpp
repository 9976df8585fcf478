// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows file layer on real files in a temporary folder (under Wine one of the Linux file system), and
// the overwrite check on cluster maps recorded by hand for file systems Wine does not have.

#include "platform/windows/WindowsFileSystem.h"
#include "engine/OverwriteCheck.h"
#include "engine/ShredReport.h"
#include "engine/Shredder.h"
#include "platform/FileAttributes.h"
#include "platform/FileError.h"
#include "platform/NativeText.h"
#include "platform/windows/ClusterMap.h"
#include "platform/windows/FileHandle.h"
#include "target/TargetIntake.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

namespace {

using Path = std::filesystem::path;
using Bytes = std::vector<unsigned char>;
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The \\?\ form, so that the test's own calls reach paths of any length.
Path longForm(const Path& path)
{
    return LR"(\\?\)" + path.native();
}

void writeFile(const Path& path, const Bytes& bytes)
{
    std::ofstream(longForm(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes contents(const Path& path)
{
    std::ifstream in(longForm(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool present(const Path& path)
{
    return ::GetFileAttributesW(longForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring environment(const wchar_t* name)
{
    wchar_t value[2048] = {};
    return ::GetEnvironmentVariableW(name, value, 2048) ? value : L"";
}

// A process of this program that acts on a file as its parent asks (the helper test below) and then says so.
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

class WindowsFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        // A folder of its own, never one an earlier run left: Wine hands out process IDs again.
        static int count = 0;
        do {
            dir = Path(temp) / (L"tilgomatic-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                std::to_wstring(++count));
        } while (!::CreateDirectoryW(dir.c_str(), nullptr) && ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override { removeTree(longForm(dir).native()); }

    // Removes path and everything below it by the system's own calls: under Wine, std::filesystem cannot walk
    // a folder deeper than 260 characters, and some tests make one.
    static void removeTree(const std::wstring& path)
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring child = path + L"\\" + name;
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(child);
                else
                    ::DeleteFileW(child.c_str());
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(path.c_str());
    }

    Path file(const wchar_t* name, std::size_t size, unsigned char byte = 0x33)
    {
        writeFile(dir / name, Bytes(size, byte));
        return dir / name;
    }
    // A folder more than 300 characters deep.
    Path deepFolder() const
    {
        Path deep = dir;
        for (int level = 0; level < 5; ++level)
            deep /= std::wstring(60, wchar_t(L'a' + level));
        std::filesystem::create_directories(longForm(deep));
        return deep;
    }
    // Every file of the folder with its bytes and attributes: what a run that writes nothing leaves alone.
    std::map<Path, std::pair<Bytes, DWORD>> snapshot() const
    {
        std::map<Path, std::pair<Bytes, DWORD>> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file())
                files[entry.path()] = {contents(entry.path()), ::GetFileAttributesW(entry.path().c_str())};
        return files;
    }

    Path dir;
    WindowsFileSystem fs;
};

// The buffer FSCTL_GET_RETRIEVAL_POINTERS fills: the first VCN and, per run, the next VCN and the LCN.
Bytes retrievalPointers(std::int64_t startingVcn,
                        const std::vector<std::pair<std::int64_t, std::int64_t>>& runs)
{
    constexpr std::size_t header = offsetof(RETRIEVAL_POINTERS_BUFFER, Extents);
    Bytes buffer(header + runs.size() * 2 * sizeof(LARGE_INTEGER));
    const DWORD count = DWORD(runs.size());
    std::memcpy(buffer.data() + offsetof(RETRIEVAL_POINTERS_BUFFER, ExtentCount), &count, sizeof count);
    std::memcpy(buffer.data() + offsetof(RETRIEVAL_POINTERS_BUFFER, StartingVcn), &startingVcn, 8);
    std::memcpy(buffer.data() + header, runs.data(), runs.size() * 2 * sizeof(LARGE_INTEGER));
    return buffer;
}

} // namespace

// Not a test: the part a helper process plays (see HelperProcess), run only when its parent asks for it.
TEST(WindowsFileSystemHelper, DISABLED_PlaysTheRoleItsParentGives)
{
    const Path file = environment(L"TILGOMATIC_HELPER_FILE");
    const FileHandle ready(
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, environment(L"TILGOMATIC_HELPER_READY").c_str()));
    ASSERT_TRUE(ready);
    if (environment(L"TILGOMATIC_HELPER_ROLE") == L"hold") {
        // As an editor holds the file it shows: for reading, every other use admitted.
        const FileHandle held(
            ::CreateFileW(file.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ::SetEvent(ready.get());
        ::Sleep(60000);
    } else {
        // Says so after the first block; the parent kills this process meanwhile.
        WindowsFileSystem fs;
        modShredder::ShredFile(file, 9, fs, [&] { ::SetEvent(ready.get()); });
    }
}

// Every size a sweep treats differently, and a path far beyond 260 characters: the run removes the file
// and leaves its neighbour alone.
TEST_F(WindowsFileSystemTest, RunsRemoveFilesOfEverySizeAndNothingElse)
{
    const Path deep = deepFolder();
    const std::pair<Path, std::size_t> cases[] = {{dir, 0},     {dir, 1},     {dir, 32767},
                                                  {dir, 32768}, {dir, 32769}, {deep, 32769}};
    for (const auto& [folder, size] : cases) {
        const Path target = folder / L"Zielgrösse.bin";
        writeFile(target, Bytes(size, 0x33));
        writeFile(folder / L"neighbour.bin", Bytes(40000, 0x44));
        {
            const FileIdentity identity = fs.identify(target);
            ASSERT_TRUE(identity.known) << size;
            const modShredder::ShredResult result =
                modShredder::ShredFile(target, 9, fs, {}, nullptr, identity);
            EXPECT_EQ(result.open, OpenStatus::Opened) << size;
            EXPECT_TRUE(result.fullyOverwritten()) << size;
        }
        EXPECT_FALSE(present(target)) << size;
        EXPECT_EQ(contents(folder / L"neighbour.bin"), Bytes(40000, 0x44)) << size;
    }
    EXPECT_GT(deep.native().size(), 300u);
}

// The open handle writes over the file's own bytes, rewinds and flushes; closed without removeName the file
// keeps its name; while it is open nobody else gets at the data.
TEST_F(WindowsFileSystemTest, WritesInPlaceAndKeepsTheNameUntilRemoved)
{
    const Path target = file(L"kept.bin", 40000, 'a');
    const FileIdentity identity = fs.identify(target);
    const FileSystem::OpenResult opened = fs.openExclusive(target, identity);
    ASSERT_EQ(opened.status, OpenStatus::Opened);
    EXPECT_EQ(opened.length, 40000);
    EXPECT_EQ(::CreateFileW(target.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(fs.write(opened.handle, Bytes(32768, 'b').data(), 32768));
    EXPECT_TRUE(fs.seekToStart(opened.handle));
    EXPECT_TRUE(fs.write(opened.handle, "c", 1));
    EXPECT_TRUE(fs.sync(opened.handle));
    const StorageMap map = fs.storageMap(opened.handle);
    EXPECT_TRUE(map.known && map.size == 40000 && map.otherNames == 0);
    // As a run whose name could not be removed gives the write protection back, before its close.
    fs.setHeldAttributes(target, identity, FileAttributes::ReadOnly | FileAttributes::Archive);
    EXPECT_EQ(fs.attributes(target), FileAttributes::ReadOnly | FileAttributes::Archive);
    EXPECT_TRUE(fs.close(opened.handle));

    Bytes expected(40000, 'a');
    std::fill(expected.begin(), expected.begin() + 32768, 'b');
    expected[0] = 'c';
    EXPECT_EQ(contents(target), expected);
    EXPECT_FALSE(fs.removeName(opened.handle)); // closed: nothing of it is left to remove
}

// Whatever the open refuses, neither it nor a run writes anything, and a run gives back the write protection
// it took off. A run on a name that names no file ends before the open, with the FileError of its length.
TEST_F(WindowsFileSystemTest, OpenRefusesWhatItMustNotTouch)
{
    std::unique_ptr<HelperProcess> holder;
    // Each prepares the folder and returns the path a run is started on, with what it should take it for.
    const auto held = [&] {
        const Path target = file(L"held.bin", 1000);
        ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
        holder = std::make_unique<HelperProcess>(L"hold", target);
        EXPECT_TRUE(holder->ready());
        return std::pair(target, fs.identify(target));
    };
    const auto replaced = [&] {
        const Path target = file(L"replaced.bin", 1000);
        const FileIdentity loaded = fs.identify(target);
        EXPECT_TRUE(::MoveFileW(target.c_str(), (dir / L"gone.bin").c_str()));
        EXPECT_TRUE(::DeleteFileW((dir / L"gone.bin").c_str()));
        file(L"replaced.bin", 1000, 0x55);
        return std::pair(target, loaded);
    };
    const auto swapped = [&] {
        const Path target = file(L"swapped.bin", 1000);
        const FileIdentity loaded = fs.identify(target);
        EXPECT_TRUE(::MoveFileW(target.c_str(), (dir / L"aside.bin").c_str()));
        EXPECT_TRUE(::MoveFileW(file(L"other.bin", 1000, 0x66).c_str(), target.c_str()));
        return std::pair(target, loaded);
    };
    const auto folder = [&] {
        std::filesystem::create_directory(dir / L"folder");
        return std::pair(dir / L"folder", fs.identify(dir / L"folder"));
    };
    const auto named = [&](const wchar_t* name) {
        return [&, name] { return std::pair(dir / name, FileIdentity()); };
    };
    struct Case
    {
        const char* what;
        OpenStatus status;
        bool lengthFails;
        std::function<std::pair<Path, FileIdentity>()> prepare;
    };
    const Case cases[] = {
        {"missing", OpenStatus::NotFound, true, named(L"missing.bin")},
        {"folder", OpenStatus::NotRegularFile, true, folder},
        {"device", OpenStatus::NotRegularFile, true, named(L"NUL")},
        {"held by another program", OpenStatus::InUse, false, held},
        {"replaced after loading", OpenStatus::Changed, false, replaced},
        {"swapped with another by renaming", OpenStatus::Changed, false, swapped},
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

// Lengths beyond 32 bits, and holes the sweeps would have to fill: a sparse file larger than the free space
// is refused before anything is touched. (36 sweeps over 4 GiB take minutes: the large file is run without
// sweeps, which still opens, measures and removes it.)
TEST_F(WindowsFileSystemTest, SparseFilesBeyondFourGiBAndBeyondTheFreeSpace)
{
    ULARGE_INTEGER free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(dir.c_str(), &free, nullptr, nullptr));
    const std::pair<std::int64_t, OpenStatus> cases[] = {
        {(std::int64_t(4) << 30) + 1, OpenStatus::Opened},
        {std::int64_t(free.QuadPart) + (std::int64_t(1) << 30), OpenStatus::NoSpace}};
    for (const auto& [length, status] : cases) {
        const Path target = dir / std::to_wstring(length);
        {
            const FileHandle sparse(
                ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
            DWORD returned = 0;
            ::DeviceIoControl(sparse.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
            ASSERT_TRUE(
                ::SetFilePointerEx(sparse.get(), LARGE_INTEGER{.QuadPart = length}, nullptr, FILE_BEGIN) &&
                ::SetEndOfFile(sparse.get()));
        }
        EXPECT_EQ(fs.fileLength(target), length);
        const FileIdentity identity = fs.identify(target);
        EXPECT_EQ(fs.outlook(identity).status, status);
        const FileSystem::OpenResult opened = fs.openExclusive(target, identity);
        EXPECT_EQ(opened.status, status);
        if (opened.status == OpenStatus::Opened) {
            EXPECT_EQ(opened.length, length);
            fs.close(opened.handle);
        }
        EXPECT_EQ(opened.spaceNeeded > std::int64_t(free.QuadPart), status == OpenStatus::NoSpace);
        const modShredder::ShredResult result = modShredder::ShredFile(target, 0, fs, {}, nullptr, identity);
        EXPECT_EQ(result.open, status);
        EXPECT_EQ(result.nameRemoved, status == OpenStatus::Opened);
    }
}

// The attribute word, changed through the name or through the file held, and the looks at names, times and
// long forms that the panel and the intake take.
TEST_F(WindowsFileSystemTest, AttributesNamesTimesAndLongForms)
{
    constexpr int ReadOnly = FileAttributes::ReadOnly, Archive = FileAttributes::Archive;
    // Wine cannot take the archive attribute away, so every file here keeps it.
    const Path target = file(L"Grösse.txt", 10);
    for (const int word :
         {Archive, Archive | ReadOnly, Archive | FileAttributes::Hidden | FileAttributes::System}) {
        ASSERT_TRUE(::SetFileAttributesW(target.c_str(), DWORD(word)));
        EXPECT_EQ(fs.attributes(target), word);
        fs.setAttributes(target, Archive);
        EXPECT_EQ(::GetFileAttributesW(target.c_str()) & 0x37, DWORD(Archive));
        fs.setAttributes(target, word);
        EXPECT_EQ(fs.attributes(target), word);
    }
    // Only the file identified: a file put under the name meanwhile keeps its own, and so does the one moved.
    const FileIdentity identity = fs.identify(target);
    ASSERT_TRUE(::MoveFileW(target.c_str(), (dir / L"moved.txt").c_str()));
    file(L"Grösse.txt", 1);
    EXPECT_THROW(fs.setHeldAttributes(target, identity, ReadOnly | Archive), FileError);
    EXPECT_THROW(fs.heldAttributes(target, identity), FileError);
    EXPECT_EQ(fs.attributes(dir / L"moved.txt"), Archive | FileAttributes::Hidden | FileAttributes::System);
    EXPECT_EQ(fs.attributes(target), Archive);

    std::filesystem::create_directory(dir / L"folder");
    EXPECT_TRUE(fs.attributes(dir / L"folder") & FileAttributes::Directory);
    for (const Path& missing : {dir / L"missing", dir / L"folder"})
        EXPECT_THROW(fs.fileLength(missing), FileError);
    EXPECT_THROW(fs.attributes(dir / L"missing"), FileError);
    EXPECT_THROW(fs.setAttributes(dir / L"missing", 0), FileError);

    std::vector<Path> names = fs.namesIn(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<Path>{L"Grösse.txt", L"folder", L"moved.txt"}));
    EXPECT_TRUE(fs.namesIn(dir / L"missing").empty());
    EXPECT_LT(std::chrono::abs(std::chrono::system_clock::now() - fs.modifiedTime(target).value()),
              std::chrono::minutes(5));
    EXPECT_FALSE(fs.modifiedTime(dir / L"missing"));

    const Path deep = deepFolder() / L"long.txt";
    writeFile(deep, Bytes(1, 'x'));
    EXPECT_EQ(fs.longPathName(target), target);
    EXPECT_EQ(fs.longPathName(deep), deep);
    EXPECT_EQ(fs.fileLength(deep), 1);
    EXPECT_TRUE(fs.longPathName(dir / L"missing").empty());
}

// Names that plain Windows paths read as their neighbours' ("t.txt " as "t.txt", "a." as "a") are described
// and destroyed as themselves, and once gone their text reaches nothing: the neighbour keeps every byte.
// A short (8.3) name on the command line, quoted or not, becomes the long one.
TEST_F(WindowsFileSystemTest, ExactNamesNeverReachTheirNeighbours)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"t.txt ", L"t.txt"}, {L"a.", L"a"}};
    for (const auto& [name, neighbour] : cases) {
        const Path target = file(name, 5000, 0x11);
        const Path other = file(neighbour, 7000, 0x22);
        EXPECT_EQ(fs.fileLength(target), 5000);
        EXPECT_EQ(fs.longPathName(target), target);
        const FileIdentity identity = fs.identify(target);
        EXPECT_FALSE(fs.isSameFile(other, identity));
        EXPECT_TRUE(modShredder::ShredFile(target, 9, fs, {}, nullptr, identity).fullyOverwritten());
        EXPECT_FALSE(present(target));
        EXPECT_THROW(modShredder::ShredFile(target, 9, fs, {}), FileError);
        EXPECT_TRUE(fs.longPathName(target).empty());
        EXPECT_EQ(contents(other), Bytes(7000, 0x22));
    }
    const Path longName = file(L"Geheime Unterlagen Müller.txt", 10);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameW(longName.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(Path(shortName), longName);
    for (const std::wstring& argument : {std::wstring(shortName), L"\"" + std::wstring(shortName) + L"\""})
        EXPECT_EQ(TargetIntake::commandLineTarget({NativeText::bytes(argument)}, dir, fs), longName);
}

// Nothing of a described file is held: another program deletes it and at once makes a new file of its name
// (on FAT a handle held would keep the old one pending), which is not taken for it.
TEST_F(WindowsFileSystemTest, ADescribedFileIsNotHeld)
{
    const Path target = file(L"described.bin", 100);
    const FileIdentity identity = fs.identify(target);
    ASSERT_TRUE(identity.known);
    EXPECT_TRUE(::DeleteFileW(target.c_str()));
    EXPECT_TRUE(FileHandle(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    EXPECT_FALSE(fs.isSameFile(target, identity));
    EXPECT_EQ(modShredder::ShredFile(target, 9, fs, {}, nullptr, identity).open, OpenStatus::Changed);
}

// Under Wine a Linux program can rename the file during the run: that is no removal, the file lives on under
// its new name, and a file moved into the old name is untouched.
TEST_F(WindowsFileSystemTest, ARenameFromLinuxDuringTheRunIsNoRemoval)
{
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        GTEST_SKIP() << "only Wine lets another program rename a file held with share mode 0";
    const auto linuxMove = [&](const Path& from, const Path& to) {
        std::wstring command = L"Z:\\bin\\mv";
        for (const Path& path : {from, to}) {
            char* name = unixName(path.c_str());
            command += L" \"" + NativeText::toUtf16(name) + L"\"";
            ::HeapFree(::GetProcessHeap(), 0, name);
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process));
        ::WaitForSingleObject(process.hProcess, 30000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    };
    for (const bool nameRefilled : {false, true}) {
        const Path target = file(L"renamed.bin", 40000);
        const Path other = file(L"other.bin", 3000, 0x77);
        bool moved = false;
        const modShredder::ShredResult result = modShredder::ShredFile(target, 9, fs, [&] {
            if (std::exchange(moved, true))
                return;
            linuxMove(target, dir / L"new name.bin");
            if (nameRefilled)
                linuxMove(other, target);
        });
        EXPECT_TRUE(result.fullyOverwritten() == false && result.writesOk && result.syncsOk) << nameRefilled;
        const Bytes left = contents(dir / L"new name.bin");
        EXPECT_TRUE(left.size() == 40000 && left != Bytes(40000, 0x33)) << nameRefilled;
        EXPECT_EQ(contents(target), nameRefilled ? Bytes(3000, 0x77) : Bytes()) << nameRefilled;
        ::DeleteFileW((dir / L"new name.bin").c_str());
        ::DeleteFileW(target.c_str());
    }
}

namespace {

// Answers that only a real Windows gives, recorded: further data streams, the programs holding a file, cloud
// attributes added to the file's own.
class RecordedQueries : public FileQueries
{
public:
    std::optional<std::vector<std::wstring>> streams = std::vector<std::wstring>();
    std::wstring holderName;
    std::uint32_t cloudAttributes = 0;

    std::optional<std::vector<std::wstring>> streamNames(const std::wstring&) override { return streams; }
    std::wstring holder(const std::wstring&) override { return holderName; }
    std::optional<AttributeTag> attributeTag(void* handle) override
    {
        std::optional<AttributeTag> tag = FileQueries::attributeTag(handle);
        if (tag)
            tag->attributes |= cloudAttributes;
        return tag;
    }
};

} // namespace

// Two further data streams take the sweeps too (under Wine "f.txt:eins" is a file of its own, which the
// recorded list leads to), and one that cannot be opened keeps the file whole; a holder is named after two
// seconds of trying again; a cloud file whose data is elsewhere is refused, one kept here is warned of.
TEST_F(WindowsFileSystemTest, StreamsHoldersAndCloudFilesOnRecordedAnswers)
{
    auto owned = std::make_unique<RecordedQueries>();
    RecordedQueries& answers = *owned;
    WindowsFileSystem recorded(std::move(owned));
    answers.streams = std::vector<std::wstring>{L":eins:$DATA", L":zwei:$DATA"};
    const Path target = file(L"f.txt", 40000);
    file(L"f.txt:eins", 33000, 0x44);
    file(L"f.txt:zwei", 10, 0x45);
    EXPECT_EQ(recorded.outlook(recorded.identify(target)).streams, 2);
    EXPECT_TRUE(modShredder::ShredFile(target, 9, recorded, {}).fullyOverwritten());
    EXPECT_FALSE(present(target));
    for (const auto& [name, size, byte] :
         {std::tuple(L"f.txt:eins", 33000, 0x44), std::tuple(L"f.txt:zwei", 10, 0x45)}) {
        const Bytes left = contents(dir / name);
        EXPECT_TRUE(left.size() == std::size_t(size) && left != Bytes(size, byte)) << size;
    }
    answers.streams = std::vector<std::wstring>{L":eins:$DATA", L":fehlt:$DATA"};
    const Path kept = file(L"g.txt", 5000);
    file(L"g.txt:eins", 100, 0x46);
    EXPECT_EQ(modShredder::ShredFile(kept, 9, recorded, {}).open, OpenStatus::StreamFailed);
    EXPECT_EQ(contents(kept), Bytes(5000, 0x33));
    EXPECT_EQ(contents(dir / L"g.txt:eins"), Bytes(100, 0x46));
    answers.streams = std::vector<std::wstring>();

    answers.holderName = L"WINWORD";
    const Path busy = file(L"busy.docx", 100);
    HelperProcess holder(L"hold", busy);
    ASSERT_TRUE(holder.ready());
    const auto start = std::chrono::steady_clock::now();
    const modShredder::ShredResult refused = modShredder::ShredFile(busy, 9, recorded, {});
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
    EXPECT_EQ(refused.open, OpenStatus::InUse);
    EXPECT_NE(ShredReport::inUseText(refused.holder).find("„WINWORD“ sie geöffnet hat"), std::string::npos);

    const Path cloud = file(L"wolke.txt", 100);
    const std::pair<std::uint32_t, OpenStatus> states[] = {{0x00400000, OpenStatus::CloudOnly},
                                                           {0x00080000, OpenStatus::Opened}};
    for (const auto& [attributes, status] : states) {
        answers.cloudAttributes = attributes;
        const RunOutlook outlook = recorded.outlook(recorded.identify(cloud));
        EXPECT_TRUE(outlook.cloud && outlook.status == status) << attributes;
    }
    EXPECT_EQ(modShredder::ShredFile(cloud, 9, recorded, {}).open, OpenStatus::Opened);
    answers.cloudAttributes = 0x00400000;
    const Path elsewhere = file(L"woanders.txt", 100);
    EXPECT_EQ(modShredder::ShredFile(elsewhere, 9, recorded, {}).open, OpenStatus::CloudOnly);
    EXPECT_EQ(contents(elsewhere), Bytes(100, 0x33));
}

// What Windows answers about a file's clusters, recorded by hand, through the translation into the core's
// verdict: the core alone decides, the same way as on Linux.
TEST(WindowsClusterMap, RecordedAnswersGiveTheirVerdict)
{
    using OverwriteCheck::Outcome;
    using OverwriteCheck::Reason;
    using Runs = ClusterMap::Runs;
    const auto answers = [](const wchar_t* name, Runs runs, Bytes pointers, std::int64_t size = 40960,
                            DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
        ClusterMap::Answers a;
        a.volumeKnown = a.fileKnown = true;
        a.attributes = attributes;
        a.size = size;
        a.fileSystemName = name;
        a.clusterSize = 4096;
        a.runs = runs;
        a.retrievalPointers = std::move(pointers);
        return a;
    };
    const Bytes tenClusters = retrievalPointers(0, {{10, 5000}});
    const Bytes split = retrievalPointers(0, {{4, 5000}, {10, 5004}});
    const Bytes moved = retrievalPointers(0, {{4, 5000}, {10, 9000}});
    const Bytes withHole = retrievalPointers(0, {{4, 5000}, {10, -1}});
    const Bytes holeFilled = retrievalPointers(0, {{4, 5000}, {10, 7000}});
    const Bytes wine =
        retrievalPointers(1, {{0, 0}}); // Wine's answer for every file: a run that ends before it starts
    const Bytes cut(tenClusters.begin(), tenClusters.end() - 1);
    const ClusterMap::Answers ntfs = answers(L"NTFS", Runs::Listed, tenClusters);
    ClusterMap::Answers unknownVolume = ntfs, share = ntfs, linkedOnFlash = ntfs;
    unknownVolume.volumeKnown = false;
    share.remote = true;
    linkedOnFlash.links = 2;
    linkedOnFlash.seekPenalty = false;
    struct Case
    {
        const char* what;
        ClusterMap::Answers before, after;
        Outcome outcome;
        Reason reason;
        const char* fileSystem;
        bool otherNamesAndFlash = false;
    };
    // clang-format off
    const Case cases[] = {
        {"NTFS in place", ntfs, answers(L"NTFS", Runs::Listed, split), Outcome::Verified, Reason::None, "NTFS"},
        {"NTFS moved", ntfs, answers(L"NTFS", Runs::Listed, moved), Outcome::NotReached, Reason::CopyOnWrite, "NTFS"},
        {"NTFS hole filled", answers(L"NTFS", Runs::Listed, withHole), answers(L"NTFS", Runs::Listed, holeFilled), Outcome::Verified, Reason::None, "NTFS"},
        {"NTFS compressed", answers(L"NTFS", Runs::Listed, withHole, 40960, FILE_ATTRIBUTE_COMPRESSED), answers(L"NTFS", Runs::Listed, withHole, 40960, FILE_ATTRIBUTE_COMPRESSED), Outcome::NotReached, Reason::CopyOnWrite, "NTFS"},
        {"NTFS encrypted", answers(L"NTFS", Runs::Listed, tenClusters, 40960, FILE_ATTRIBUTE_ENCRYPTED), answers(L"NTFS", Runs::Listed, tenClusters, 40960, FILE_ATTRIBUTE_ENCRYPTED), Outcome::NotReached, Reason::Encrypted, "NTFS"},
        {"NTFS resident", answers(L"NTFS", Runs::NoClusters, {}, 700), answers(L"NTFS", Runs::NoClusters, {}, 700), Outcome::NotReached, Reason::Inline, "NTFS"},
        {"NTFS empty", answers(L"NTFS", Runs::NoClusters, {}, 0), answers(L"NTFS", Runs::NoClusters, {}, 0), Outcome::Verified, Reason::None, "NTFS"},
        {"NTFS, hard link, flash", linkedOnFlash, linkedOnFlash, Outcome::Verified, Reason::None, "NTFS", true},
        {"ReFS in place", answers(L"ReFS", Runs::Listed, tenClusters), answers(L"ReFS", Runs::Listed, tenClusters), Outcome::NotReached, Reason::CopyOnWrite, "ReFS"},
        {"FAT32 in place", answers(L"FAT32", Runs::Listed, tenClusters), answers(L"FAT32", Runs::Listed, tenClusters), Outcome::Verified, Reason::None, "FAT"},
        {"exFAT without runs", answers(L"exFAT", Runs::Unreadable, {}), answers(L"exFAT", Runs::Unreadable, {}), Outcome::Verified, Reason::None, "exFAT"},
        {"NTFS without runs", answers(L"NTFS", Runs::Unreadable, {}), answers(L"NTFS", Runs::Unreadable, {}), Outcome::NotCheckable, Reason::None, "NTFS"},
        {"Wine's answer", answers(L"NTFS", Runs::Listed, wine), answers(L"NTFS", Runs::Listed, wine), Outcome::NotCheckable, Reason::None, "NTFS"},
        {"cut buffer", answers(L"NTFS", Runs::Listed, cut), ntfs, Outcome::NotCheckable, Reason::None, "NTFS"},
        {"share", share, share, Outcome::NotCheckable, Reason::None, "NTFS"},
        {"unknown volume", unknownVolume, ntfs, Outcome::NotCheckable, Reason::None, ""},
        {"UDF", answers(L"UDF", Runs::Listed, tenClusters), answers(L"UDF", Runs::Listed, tenClusters), Outcome::NotCheckable, Reason::None, "UDF"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const OverwriteCheck::Result result =
            OverwriteCheck::judge(ClusterMap::translate(c.before), ClusterMap::translate(c.after));
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.reason, c.reason) << c.what;
        EXPECT_EQ(result.fileSystem, c.fileSystem) << c.what;
        EXPECT_EQ(result.otherNames && result.flash, c.otherNamesAndFlash) << c.what;
    }
}
