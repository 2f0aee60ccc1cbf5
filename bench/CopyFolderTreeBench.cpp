// Copying a package tree: CopyFolderTree against `cp -r` of the same tree, both into fresh folders
// in the same run, so the ratio holds whatever the machine's disk and cache.
#include "engine/FileDeployment.h"
#include "platform/posix/files/DriveMap.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool g_treeMade = false;

// 10,000 files of 1 to 8 KB in 100 folders two levels deep, like a large tag library with examples.
const fs::path& SourceTree()
{
    static const fs::path root = [] {
        g_treeMade = true;
        // In memory where the machine has it, so the figures show the copying code rather than the disk.
        std::error_code error;
        const fs::path temp
            = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
        const fs::path base = temp / ("tarnwick-bench-" + std::to_string(::getpid()));
        const fs::path tree = base / "src";
        std::string content;
        for (int folder = 0; folder < 100; ++folder) {
            const fs::path dir
                = tree / ("group" + std::to_string(folder / 10)) / ("tags" + std::to_string(folder));
            fs::create_directories(dir);
            for (int file = 0; file < 100; ++file) {
                content.assign(1024 * (1 + (folder * 100 + file) % 8), static_cast<char>('a' + file % 26));
                std::ofstream(dir / ("tag" + std::to_string(file) + ".cfm"), std::ios::binary) << content;
            }
        }
        return base;
    }();
    return root;
}

fs::path FreshTarget(const char* name)
{
    const fs::path target = SourceTree() / name;
    fs::remove_all(target);
    return target;
}

void BM_CopyFolderTree(benchmark::State& state)
{
    const fs::path source = SourceTree() / "src";
    const std::string sourceText = posix::WindowsPathOfHost(source.string());
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path target = FreshTarget("ours");
        fs::create_directory(target);
        const std::string targetText = posix::WindowsPathOfHost(target.string());
        state.ResumeTiming();
        if (!CopyFolderTree(sourceText, targetText))
            state.SkipWithError("copy failed");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

void BM_CpRecursive(benchmark::State& state)
{
    const fs::path source = SourceTree() / "src";
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path target = FreshTarget("cp");
        const std::string command = "cp -r '" + source.string() + "' '" + target.string() + "'";
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

BENCHMARK(BM_CpRecursive)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5);
BENCHMARK(BM_CopyFolderTree)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5);

struct Cleanup {
    ~Cleanup()
    {
        std::error_code ignored;
        if (g_treeMade)
            fs::remove_all(SourceTree(), ignored);
    }
} g_cleanup;

} // namespace

BENCHMARK_MAIN();
