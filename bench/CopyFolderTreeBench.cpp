// Copying a package tree: CopyFolderTree against `cp -r` of the same tree, both into fresh folders
// in the same run, so the ratio holds whatever the machine's disk and cache.
#include "BenchTree.h"
#include "engine/FileDeployment.h"
#include "platform/posix/files/DriveMap.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

bool g_treeMade = false;

const fs::path& SourceTree()
{
    static const fs::path root = [] {
        g_treeMade = true;
        bench::MakeTree(bench::WorkFolder() / "src");
        return bench::WorkFolder();
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
        if (g_treeMade)
            bench::RemoveWorkFolder();
    }
} g_cleanup;

} // namespace

BENCHMARK_MAIN();
