#include "RegistryHelpers.h"
#include "RegStoreTestHelpers.h"
#include "TempFolder.h"

#include "platform/posix/registry/FileRegistryStore.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <optional>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace posix;

namespace {

const KeyPath kKey = { "HKEY_LOCAL_MACHINE", "SOFTWARE", "Tarnwick" };

// A store change that sets one text value on kKey.
std::function<LONG(RegistryTree&)> SetText(const std::string& name, const std::string& text)
{
    return [=](RegistryTree& tree) {
        tree.Create(kKey).SetValue(name, REG_SZ, text + '\0');
        return ERROR_SUCCESS;
    };
}

// The text of a value on kKey as the store reads it, or "<none>".
std::string TextIn(FileRegistryStore& store, const std::string& name)
{
    std::string text = "<none>";
    EXPECT_EQ(ERROR_SUCCESS, store.Read([&](const RegistryTree& tree) {
        const RegistryKey* key = tree.Find(kKey);
        if (const RegistryValue* value = key ? key->FindValue(name) : nullptr)
            text = value->data.substr(0, value->data.size() - 1);
        return ERROR_SUCCESS;
    }));
    return text;
}

std::unique_ptr<FileRegistryStore> OpenStore(const std::string& path)
{
    std::string error;
    auto store = FileRegistryStore::Open(path, error);
    EXPECT_NE(nullptr, store) << error;
    return store;
}

// A write into a store whose file has become unparsable: refused before the change runs.
void ExpectWriteRefused(FileRegistryStore& store)
{
    bool ran = false;
    EXPECT_EQ(ERROR_REGISTRY_CORRUPT, store.Write([&](RegistryTree&) {
        ran = true;
        return ERROR_SUCCESS;
    }));
    EXPECT_FALSE(ran);
}

// Runs body in a child process and returns its exit status (or -1 if it did not exit).
template<class Body> int InChild(Body body)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int kGenerationValues = 20;

// Value i as written at one generation. Value 0 grows with the generation so that the file's size
// changes from one write to the next.
std::string GenerationText(int i, unsigned long long generation)
{
    std::string text = std::to_string(generation) + ":" + std::to_string(i);
    if (i == 0)
        text.append(generation % 1000, '+');
    return text;
}

void SetGeneration(RegistryTree& tree, unsigned long long generation)
{
    for (int i = 0; i < kGenerationValues; ++i)
        tree.Create(kKey).SetValue("v" + std::to_string(i), REG_SZ, GenerationText(i, generation) + '\0');
}

// The generation that every value holds in full; nothing when one is missing, torn or of another
// generation. Free of gtest checks: writer children use it too.
std::optional<unsigned long long> GenerationOf(const RegistryTree& tree)
{
    const RegistryKey* key = tree.Find(kKey);
    const RegistryValue* first = key ? key->FindValue("v0") : nullptr;
    if (!first)
        return std::nullopt;
    const unsigned long long generation = std::strtoull(first->data.c_str(), nullptr, 10);
    for (int i = 0; i < kGenerationValues; ++i) {
        const RegistryValue* value = key->FindValue("v" + std::to_string(i));
        if (!value || value->type != REG_SZ || value->data != GenerationText(i, generation) + '\0')
            return std::nullopt;
    }
    return generation;
}

class FileRegistryStoreTest : public RegistryTest {
protected:
    TempFolder m_folder;
    const std::string m_path = m_folder.Host("machine.reg").string();
};

} // namespace

TEST_F(FileRegistryStoreTest, MissingFileIsEmptyUntilWrittenAndWritersSeeEachOther)
{
    auto first = OpenStore(m_path);
    auto second = OpenStore(m_path);
    ASSERT_TRUE(first && second);
    EXPECT_EQ("<none>", TextIn(*first, "A"));
    EXPECT_FALSE(std::filesystem::exists(m_path));

    ASSERT_EQ(ERROR_SUCCESS, second->Write(SetText("A", "from second")));
    EXPECT_EQ(0u, m_folder.Read("machine.reg").find("REGEDIT4\r\n"));
    EXPECT_EQ("from second", TextIn(*first, "A"));
    ASSERT_EQ(ERROR_SUCCESS, first->Write(SetText("B", "from first")));
    EXPECT_EQ("from second", TextIn(*second, "A"));
    EXPECT_EQ("from first", TextIn(*second, "B"));

    // A failed change is not saved, and leaves nothing behind.
    const std::string before = m_folder.Read("machine.reg");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, first->Write([](RegistryTree& tree) {
        tree.Remove(kKey);
        return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    }));
    EXPECT_EQ("from first", TextIn(*first, "B"));
    EXPECT_EQ(before, m_folder.Read("machine.reg"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Host()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string> { "machine.reg", "machine.reg.lock" }), names);
}

// Reading the registry changes nothing on the machine, the folder of its store included; a
// reader that began before the first writer made the lock file still sees every write after it.
TEST_F(FileRegistryStoreTest, ReadsMakeNothingBesideTheStore)
{
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.Host()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    auto writer = OpenStore(m_path);
    ASSERT_TRUE(writer);
    ASSERT_EQ(ERROR_SUCCESS, writer->Write(SetText("A", "first")));
    std::filesystem::remove(m_folder.Host("machine.reg.lock"));
    auto reader = OpenStore(m_path);
    ASSERT_TRUE(reader);
    EXPECT_EQ("first", TextIn(*reader, "A"));
    EXPECT_EQ((std::vector<std::string> { "machine.reg" }), listing());

    ASSERT_EQ(ERROR_SUCCESS, writer->Write(SetText("A", "second")));
    EXPECT_EQ("second", TextIn(*reader, "A"));
    ASSERT_EQ(ERROR_SUCCESS, writer->Write(SetText("A", "third")));
    EXPECT_EQ("third", TextIn(*reader, "A"));
    EXPECT_EQ((std::vector<std::string> { "machine.reg", "machine.reg.lock" }), listing());
}

TEST_F(FileRegistryStoreTest, UnparsableStoreIsRefusedAndNeverOverwritten)
{
    const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick]\r\n\"A\"=oops\r\n";
    m_folder.Write("machine.reg", damaged);
    std::string error;
    EXPECT_EQ(nullptr, FileRegistryStore::Open(m_path, error));
    EXPECT_NE(std::string::npos, error.find("line 4: ")) << error;
    EXPECT_FALSE(UseRegistryFile(m_path, error));

    // Damaged after it was opened: reads and writes are refused, the change never runs.
    m_folder.Write("machine.reg", "REGEDIT4\r\n");
    auto store = OpenStore(m_path);
    ASSERT_TRUE(store);
    m_folder.Write("machine.reg", damaged);
    ExpectWriteRefused(*store);
    EXPECT_EQ(ERROR_REGISTRY_CORRUPT, store->Read([](const RegistryTree&) { return ERROR_SUCCESS; }));
    EXPECT_NE(std::string::npos, store->LastError().find("line 4: ")) << store->LastError();
    EXPECT_EQ(damaged, m_folder.Read("machine.reg"));
}

TEST_F(FileRegistryStoreTest, HandEditsAfterTheStoresOwnWriteAreSeenByItsNextWrite)
{
    // Once a store has written, the lock file holds its token and only the file's stamp shows a
    // hand edit, which leaves the lock file alone.
    auto store = OpenStore(m_path);
    ASSERT_TRUE(store);
    ASSERT_EQ(ERROR_SUCCESS, store->Write(SetText("A", "by the store")));
    const std::string written = m_folder.Read("machine.reg");

    const std::string damaged = written + "\"B\"=oops\r\n";
    m_folder.Write("machine.reg", damaged);
    ExpectWriteRefused(*store);
    EXPECT_EQ(damaged, m_folder.Read("machine.reg"));

    m_folder.Write("machine.reg", written);
    ASSERT_EQ(ERROR_SUCCESS, store->Write(SetText("A", "again")));
    m_folder.Write("machine.reg", written + "\"B\"=\"by hand\"\r\n");
    ASSERT_EQ(ERROR_SUCCESS, store->Write(SetText("C", "after the edit")));
    auto fresh = OpenStore(m_path);
    ASSERT_TRUE(fresh);
    EXPECT_EQ("by hand", TextIn(*fresh, "B"));
    EXPECT_EQ("after the edit", TextIn(*fresh, "C"));
}

TEST_F(FileRegistryStoreTest, ReadOnlyStoreIsReadButNotWritten)
{
    {
        auto store = OpenStore(m_path);
        ASSERT_TRUE(store);
        ASSERT_EQ(ERROR_SUCCESS, store->Write(SetText("A", "kept")));
    }
    const std::string before = m_folder.Read("machine.reg");
    chmod(m_path.c_str(), 0444);
    chmod(m_folder.Host().c_str(), 0555);
    // Permissions do not hold for root: the child gives its rights up first.
    const int status = InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 77;
        std::string error;
        auto store = FileRegistryStore::Open(m_path, error);
        if (!store || TextIn(*store, "A") != "kept")
            return 1;
        return store->Write(SetText("A", "changed")) == static_cast<LONG>(ERROR_ACCESS_DENIED) ? 0 : 2;
    });
    if (status == 77)
        GTEST_SKIP() << "running as root and cannot become an unprivileged user";
    EXPECT_EQ(0, status);
    EXPECT_EQ(before, m_folder.Read("machine.reg"));
    EXPECT_FALSE(std::filesystem::exists(m_path + ".tmp"));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(m_folder.Host()), {}));
}

TEST_F(FileRegistryStoreTest, ASaveFlushesItsFileBeforeTheRenameAndARefusedRenameChangesNothing)
{
    auto store = OpenStore(m_path);
    ASSERT_TRUE(store);
    ASSERT_EQ(ERROR_SUCCESS, store->Write(SetText("A", "first")));
    // Each call with the file it is made on, as the kernel names the descriptor.
    std::vector<std::string> calls;
    const auto named
        = [](int fd) { return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)); };
    StoreFileCalls recorded;
    recorded.fsync = [&](int fd) {
        calls.push_back("fsync " + named(fd).string());
        return ::fsync(fd);
    };
    recorded.rename = [&](const char* from, const char* to) {
        calls.push_back("rename " + std::string(from) + " " + to);
        return ::rename(from, to);
    };
    store->SetFileCalls(recorded);
    ASSERT_EQ(ERROR_SUCCESS, store->Write(SetText("A", "second")));
    const std::string temp = m_path + ".tmp";
    const std::string folder = std::filesystem::canonical(m_folder.Host()).string();
    const std::string flushTemp = "fsync " + folder + "/machine.reg.tmp";
    EXPECT_EQ(
        (std::vector<std::string> { flushTemp, "rename " + temp + " " + m_path, "fsync " + folder }), calls);

    calls.clear();
    recorded.rename = [&](const char* from, const char* to) {
        calls.push_back("rename " + std::string(from) + " " + to);
        errno = EACCES;
        return -1;
    };
    store->SetFileCalls(recorded);
    const std::string before = m_folder.Read("machine.reg");
    EXPECT_EQ(ERROR_ACCESS_DENIED, store->Write(SetText("A", "third")));
    EXPECT_EQ((std::vector<std::string> { flushTemp, "rename " + temp + " " + m_path }), calls);
    EXPECT_EQ(before, m_folder.Read("machine.reg"));
    EXPECT_FALSE(std::filesystem::exists(temp)) << "a refused save leaves no temp file";
    EXPECT_EQ("second", TextIn(*store, "A")) << "nor the refused change in memory";
    EXPECT_EQ("second", TextIn(*OpenStore(m_path), "A"));
}

TEST_F(FileRegistryStoreTest, ConcurrentWritersThroughTheRegistryFunctionsLoseNothing)
{
    constexpr int kChildren = 8;
    constexpr int kValues = 100;
    std::vector<pid_t> children;
    for (int child = 0; child < kChildren; ++child) {
        const pid_t pid = fork();
        if (pid == 0) {
            std::string error;
            if (!UseRegistryFile(m_path, error))
                _exit(1);
            for (int i = 0; i < kValues; ++i) {
                HKEY key = nullptr;
                const std::string name = "c" + std::to_string(child) + "v" + std::to_string(i);
                if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwick", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr)
                        != ERROR_SUCCESS
                    || RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(name.c_str()), static_cast<DWORD>(name.size() + 1))
                        != ERROR_SUCCESS)
                    _exit(2);
                RegCloseKey(key);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid << " status " << status;
    }

    std::string error;
    ASSERT_TRUE(UseRegistryFile(m_path, error)) << error;
    const auto values = ReadStrings(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwick");
    EXPECT_EQ(static_cast<std::size_t>(kChildren * kValues), values.size());
    for (const auto& [name, text] : values)
        EXPECT_EQ(name, text);
}

TEST_F(FileRegistryStoreTest, WriterKilledAtAnyPointLeavesOneWholeGenerationAndLosesNothing)
{
    constexpr int kRounds = 200;
    constexpr unsigned kSeed = 20417;
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 3000);
    {
        auto store = OpenStore(m_path);
        ASSERT_TRUE(store);
        ASSERT_EQ(ERROR_SUCCESS, store->Write([](RegistryTree& tree) {
            SetGeneration(tree, 1);
            return ERROR_SUCCESS;
        }));
    }
    // The last generation the writer saw saved, which the parent reads after the kill.
    static_assert(std::atomic<unsigned long long>::is_always_lock_free, "shared between processes");
    void* shared = mmap(nullptr, sizeof(std::atomic<unsigned long long>), PROT_READ | PROT_WRITE,
        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(MAP_FAILED, shared);
    auto* saved = new (shared) std::atomic<unsigned long long>(1);

    unsigned long long generation = 1;
    int lost = 0;
    int tempLeft = 0;
    int survived = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("seed " + std::to_string(kSeed) + ", round " + std::to_string(round));
        saved->store(generation);
        int ready[2];
        ASSERT_EQ(0, pipe(ready));
        const pid_t pid = fork();
        ASSERT_NE(-1, pid);
        if (pid == 0) {
            // Each write moves every value to the next generation, so a torn file shows.
            std::string error;
            auto store = FileRegistryStore::Open(m_path, error);
            if (!store || write(ready[1], "r", 1) != 1)
                _exit(1);
            for (int i = 0; i < 1000000; ++i) {
                unsigned long long next = 0;
                const LONG result = store->Write([&](RegistryTree& tree) {
                    const auto current = GenerationOf(tree);
                    if (!current)
                        return static_cast<LONG>(ERROR_REGISTRY_CORRUPT);
                    next = *current + 1;
                    SetGeneration(tree, next);
                    return static_cast<LONG>(ERROR_SUCCESS);
                });
                if (result != ERROR_SUCCESS)
                    _exit(2);
                saved->store(next);
            }
            _exit(0);
        }
        close(ready[1]);
        char byte = 0;
        const bool started = read(ready[0], &byte, 1) == 1; // not before the writer has opened the store
        close(ready[0]);
        if (started) {
            if (const int delay = delayMicroseconds(random))
                std::this_thread::sleep_for(std::chrono::microseconds(delay));
        }
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer stopped, status " << status;
        if (std::filesystem::exists(m_path + ".tmp"))
            ++tempLeft;

        auto store = OpenStore(m_path);
        ASSERT_TRUE(store) << "with " << tempLeft << " temp files left by killed writers";
        std::optional<unsigned long long> found;
        ASSERT_EQ(ERROR_SUCCESS, store->Read([&](const RegistryTree& tree) {
            found = GenerationOf(tree);
            return ERROR_SUCCESS;
        }));
        ASSERT_TRUE(found) << m_folder.Read("machine.reg");
        // saved starts each round at what the last round found, so this also catches going backwards.
        if (*found < saved->load())
            ++lost;
        ASSERT_LE(*found, saved->load() + 1) << "more than the one write in flight";
        generation = *found;
        ++survived;
    }
    munmap(shared, sizeof(std::atomic<unsigned long long>));

    int tempFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Host()))
        tempFiles += entry.path().filename().string().rfind("machine.reg.tmp", 0) == 0;
    std::cout << "kills survived " << survived << ", rounds " << kRounds << ", writes " << generation - 1
              << ", lost updates " << lost << ", kills leaving a temp file " << tempLeft
              << ", temp files left in the folder " << tempFiles << std::endl;
    EXPECT_EQ(0, lost);
    EXPECT_LE(tempFiles, 1) << "a killed writer's temp file is replaced by the next write";
}
