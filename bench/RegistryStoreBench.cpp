// One durable registry write (lock, reload when needed, change, temp file, fsync, rename) into
// stores of 100, 1,000 and 10,000 keys; the time should grow about linearly with the store.
// BM_DurableWrite is a process writing alone, which need not reload the file it wrote itself;
// BM_DurableWriteAfterAnotherWriter alternates two stores, so that every write reloads.
#include "platform/posix/registry/FileRegistryStore.h"
#include "platform/posix/registry/RegFile.h"
#include "platform/UniqueHandle.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A store of keys under HKLM\SOFTWARE\Bench, each with two string values, like a server's tags.
std::string MakeStore(int keys)
{
    const fs::path path = fs::temp_directory_path()
        / ("tarnwick-bench-" + std::to_string(::getpid()) + "-" + std::to_string(keys) + ".reg");
    fs::remove(path);
    std::string error;
    if (!posix::UseRegistryFile(path.string(), error))
        return {};
    posix::MemoryRegistryStore seed;
    for (int i = 0; i < keys; ++i) {
        posix::RegistryKey& key
            = seed.Tree().Create({ "HKEY_LOCAL_MACHINE", "SOFTWARE", "Bench", "Key" + std::to_string(i) });
        key.SetValue("Type", REG_SZ, std::string("Java\0", 5));
        key.SetValue("Description", REG_SZ, "A tag of the bench, number " + std::to_string(i) + '\0');
    }
    std::string text;
    if (!posix::WriteRegFile(seed.Tree(), text, error))
        return {};
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return path.string();
}

void BM_DurableWrite(benchmark::State& state)
{
    const std::string path = MakeStore(static_cast<int>(state.range(0)));
    std::string error;
    if (path.empty() || !posix::UseRegistryFile(path, error)) {
        state.SkipWithError("no store");
        return;
    }
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Bench\\Key0", 0, KEY_SET_VALUE, key.put())
        != ERROR_SUCCESS) {
        state.SkipWithError("no key");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        const std::string data = "value " + std::to_string(round++);
        if (RegSetValueExA(key.get(), "Changing", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                static_cast<DWORD>(data.size() + 1))
            != ERROR_SUCCESS)
            state.SkipWithError("write failed");
    }
    state.counters["keys"] = static_cast<double>(state.range(0));
    key.reset();
    posix::SetRegistryStore(nullptr);
    fs::remove(path);
    fs::remove(path + ".lock");
}

void BM_DurableWriteAfterAnotherWriter(benchmark::State& state)
{
    const std::string path = MakeStore(static_cast<int>(state.range(0)));
    std::string error;
    std::unique_ptr<posix::FileRegistryStore> stores[2];
    for (auto& store : stores)
        store = path.empty() ? nullptr : posix::FileRegistryStore::Open(path, error);
    if (!stores[0] || !stores[1]) {
        state.SkipWithError("no store");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        const std::string data = "value " + std::to_string(round) + '\0';
        const LONG result = stores[round++ % 2]->Write([&](posix::RegistryTree& tree) -> LONG {
            posix::RegistryKey* key = tree.Find({ "HKEY_LOCAL_MACHINE", "SOFTWARE", "Bench", "Key0" });
            if (!key)
                return ERROR_FILE_NOT_FOUND;
            key->SetValue("Changing", REG_SZ, data);
            return ERROR_SUCCESS;
        });
        if (result != ERROR_SUCCESS)
            state.SkipWithError("write failed");
    }
    state.counters["keys"] = static_cast<double>(state.range(0));
    posix::SetRegistryStore(nullptr);
    fs::remove(path);
    fs::remove(path + ".lock");
}

} // namespace

BENCHMARK(BM_DurableWrite)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DurableWriteAfterAnotherWriter)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
