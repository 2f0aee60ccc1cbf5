// Installing a package of 10,000 files through tarnwick-cli, with its JSON-lines log, against
// CopyFolderTree alone on the same tree in the same run; and planning the same install. The log's
// cost is one line, one flush and one SHA-256 a file, taken on a second thread where there is a
// second core; the plan's is looking at each file without copying it.
#include "BenchTree.h"
#include "cli/CommandLine.h"
#include "cli/install/InstallRun.h"
#include "engine/FileDeployment.h"
#include "platform/posix/files/DriveMap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
// install.conf names it, relative to that folder, into a fresh target.
bool CopyAlone()
{
    const fs::path target = bench::WorkFolder() / "installed";
    const fs::path home = fs::current_path();
    fs::current_path(Package());
    const bool copied = CopyFolderTree("tags", posix::WindowsPathOfHost(target.string()));
    fs::current_path(home);
    return copied;
}

// An install and an undo seal their logs with the machine's key, kept beside its registry store:
// without a store named, the runs get one of their own in the work folder.
void SettleStore()
{
    if (const char* store = std::getenv("TARNWICK_REGISTRY"); store && *store)
        return;
    const fs::path store = bench::WorkFolder() / "registry.reg";
    std::ofstream(store, std::ios::binary) << "REGEDIT4\r\n\r\n";
    (void)::setenv("TARNWICK_REGISTRY", store.c_str(), 1);
}

void MakeTarget()
{
    (void)Package(); // the work folder with it
    FreshTarget();
    fs::create_directory(bench::WorkFolder() / "installed");
}

void BM_CopyFolderTreeAlone(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        MakeTarget();
        state.ResumeTiming();
        if (!CopyAlone())
            state.SkipWithError("copy failed");
    }
    state.SetItemsProcessed(state.iterations() * bench::kTreeFiles);
}

CommandLine LineFor(const std::string& command)
{
    (void)Package(); // the work folder with it
    SettleStore();
    CommandLine line;
    line.command = command;
    line.package = Package().string();
    if (command == "install")
        line.log = (bench::WorkFolder() / "install.jsonl").string();
    else
        line.json = true;
    return line;
}

// Runs the command on a fresh target, its standard output (a plan's JSON) going nowhere, and
// returns how long it took, or a negative time when it failed.
double TimedRun(const CommandLine& line)
{
    FreshTarget();
    const int saved = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    (void)::dup2(null, STDOUT_FILENO);
    const fs::path home = fs::current_path();
    const auto start = std::chrono::steady_clock::now();
    const int code = RunInstall(line);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    (void)std::fflush(stdout);
    (void)::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    ::close(null);
    fs::current_path(home);
    return code == 0 ? took.count() : -1;
}

void Run(benchmark::State& state, const std::string& command)
{
    const CommandLine line = LineFor(command);
    for (auto _ : state) {
        const double took = TimedRun(line);
        if (took < 0)
            state.SkipWithError("the run failed");
        state.SetIterationTime(std::max(took, 0.0));
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

// The aim read directly: each iteration copies the tree alone, installs it without a log and
// installs it with one, one right after the other, so that whatever slows the machine for a while
// slows all three. The time shown is the logged install's; "per_copy" is its time over the copy's
// across the iterations, and "unlogged_per_copy" the same for the install without a log, which
// shows what the log itself adds.
void BM_CliInstallPerCopy(benchmark::State& state)
{
    const CommandLine logged = LineFor("install");
    CommandLine unlogged = logged;
    unlogged.log.reset();
    // Without a log the run prints its summary on standard error: here, nowhere.
    const int savedError = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    (void)::dup2(null, STDERR_FILENO);
    double copying = 0;
    double installing = 0;
    double unloggedInstalling = 0;
    for (auto _ : state) {
        MakeTarget();
        const auto start = std::chrono::steady_clock::now();
        const bool copied = CopyAlone();
        const std::chrono::duration<double> copy = std::chrono::steady_clock::now() - start;
        const double plain = TimedRun(unlogged);
        const double install = TimedRun(logged);
        if (!copied || plain < 0 || install < 0)
            state.SkipWithError("the copy or a run failed");
        copying += copy.count();
        unloggedInstalling += std::max(plain, 0.0);
        installing += std::max(install, 0.0);
        state.SetIterationTime(std::max(install, 0.0));
    }
    (void)std::fflush(stderr);
    (void)::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    ::close(null);
    if (copying > 0) {
        state.counters["per_copy"] = installing / copying;
        state.counters["unlogged_per_copy"] = unloggedInstalling / copying;
    }
    state.SetItemsProcessed(state.iterations() * bench::kTreeFiles);
}

BENCHMARK(BM_CopyFolderTreeAlone)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BM_CliInstallWithLog)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->UseManualTime();
BENCHMARK(BM_CliPlan)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->UseManualTime();
BENCHMARK(BM_CliInstallPerCopy)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->UseManualTime();

struct Cleanup {
    ~Cleanup()
    {
        if (g_made)
            bench::RemoveWorkFolder();
    }
} g_cleanup;

} // namespace

BENCHMARK_MAIN();
