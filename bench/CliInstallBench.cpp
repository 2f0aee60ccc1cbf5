// Installing a package of 10,000 files through tarnwick-cli, with its JSON-lines log, against
// CopyFolderTree alone on the same tree in the same run; and planning the same install. The log's
// cost is one line, one flush and one SHA-256 a file, taken on a second thread where there is a
// second core; the plan's is looking at each file without copying it.
#include "BenchTree.h"
#include "cli/CommandLine.h"
#include "cli/InstallRun.h"
#include "engine/FileDeployment.h"
#include "platform/posix/files/DriveMap.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool g_made = false;

// The package: one Copy option of the tree into a folder that each run starts without.
const fs::path& Package()
{
    static const fs::path package = [] {
        g_made = true;
        const fs::path folder = bench::WorkFolder() / "pkg";
        bench::MakeTree(folder / "tags");
        std::ofstream(folder / "install.conf", std::ios::binary)
            << "<INSTALL_TITLE VALUE=\"Large Tag Library\">\r\n"
               "<DIR1 VISIBLE=\"true\">\r\n"
               "<DIR1 CAPTION=\"Tag folder\">\r\n"
               "<DIR1 VALUE=\""
            << posix::WindowsPathOfHost(bench::WorkFolder().string())
            << "\">\r\n"
               "<OPTION1 CAPTION=\"Copy the tags\">\r\n"
               "<OPTION1 TYPE=\"Copy\">\r\n"
               "<OPTION1 SOURCE=\"tags\">\r\n"
               "<OPTION1 DEST=\"%DIR1%\\installed\">\r\n";
        return folder;
    }();
    return package;
}

void FreshTarget()
{
    fs::remove_all(bench::WorkFolder() / "installed");
}

// The copy exactly as the install makes it: from inside the package folder, the source named as
// install.conf names it, relative to that folder.
void BM_CopyFolderTreeAlone(benchmark::State& state)
{
    const fs::path target = bench::WorkFolder() / "installed";
    const fs::path home = fs::current_path();
    fs::current_path(Package());
    for (auto _ : state) {
        state.PauseTiming();
        FreshTarget();
        fs::create_directory(target);
        state.ResumeTiming();
        if (!CopyFolderTree("tags", posix::WindowsPathOfHost(target.string())))
            state.SkipWithError("copy failed");
    }
    fs::current_path(home);
    state.SetItemsProcessed(state.iterations() * bench::kTreeFiles);
}

void Run(benchmark::State& state, const std::string& command)
{
    CommandLine line;
    line.command = command;
    line.package = Package().string();
    if (command == "install")
        line.log = (bench::WorkFolder() / "install.jsonl").string();
    else
        line.json = true;
    const fs::path home = fs::current_path();
    for (auto _ : state) {
        state.PauseTiming();
        FreshTarget();
        // The plan's JSON goes to standard output: here, nowhere.
        const int saved = ::dup(STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        (void)::dup2(null, STDOUT_FILENO);
        state.ResumeTiming();
        const int code = RunInstall(line);
        state.PauseTiming();
        (void)std::fflush(stdout);
        (void)::dup2(saved, STDOUT_FILENO);
        ::close(saved);
        ::close(null);
        fs::current_path(home);
        if (code != 0)
            state.SkipWithError("the run failed");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * bench::kTreeFiles);
}

void BM_CliInstallWithLog(benchmark::State& state)
{
    Run(state, "install");
}

void BM_CliPlan(benchmark::State& state)
{
    Run(state, "plan");
}

BENCHMARK(BM_CopyFolderTreeAlone)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BM_CliInstallWithLog)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BM_CliPlan)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);

struct Cleanup {
    ~Cleanup()
    {
        if (g_made)
            bench::RemoveWorkFolder();
    }
} g_cleanup;

} // namespace

BENCHMARK_MAIN();
