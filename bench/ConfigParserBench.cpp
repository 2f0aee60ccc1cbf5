// Parsing install.conf at start-up: a full-size file through parse, the same text from memory, and
// the bare file read as the baseline that parse can at best approach.
#include "config/ConfigParser.h"
#include "platform/CFile.h"

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

// Puts the option's group character where the template has '#'.
std::string withGroup(std::string text, char group)
{
    for (char& c : text)
        if (c == '#')
            c = group;
    return text;
}

// Two files of just under the size limit. "typical": a package as authors write them, a dozen
// settings and seven options among notes in comments. "tag-dense": nothing but option tags, the
// worst case for the tag handling and for the allocations behind the stored values.
std::string typicalText()
{
    std::string text = "<!-- Sample Tag Pack: install description -->\r\n"
                       "<INSTALL_TITLE VALUE=\"Sample Tag Pack\">\r\n"
                       "<IS_JAVA VALUE=\"true\">\r\n"
                       "<CLASSPATH VALUE=\"%DIR1%\\sample.jar;%DIR1%\\lib\\support.jar\">\r\n"
                       "<RESTARTCF VALUE=\"yes\">\r\n"
                       "<DIR1 VISIBLE=\"true\">\r\n"
                       "<DIR1 CAPTION=\"Tag folder\">\r\n"
                       "<DIR1 VALUE=\"HKEY_LOCAL_MACHINE\\SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\"
                       "Server\\CustomTagsDir\">\r\n"
                       "<DIR2 VISIBLE=\"true\">\r\n"
                       "<DIR2 CAPTION=\"Examples folder\">\r\n"
                       "<DIR2 VALUE=\"C:\\Inetpub\\wwwroot\\examples\">\r\n";
    const std::string option = "<!-- Option #: one tag of the pack and its examples -->\r\n"
                               "<OPTION# CAPTION=\"Register the sample tag number #\">\r\n"
                               "<OPTION# TYPE=\"JavaCFX\">\r\n"
                               "<OPTION# TAGNAME=\"CFX_SampleTag#\">\r\n"
                               "<OPTION# CLASS=\"com.example.tags.SampleTagClass\">\r\n"
                               "<OPTION# DESCRIPTION=\"Sample Java tag number #\">\r\n";
    for (char group = '1'; group <= '7'; ++group)
        text += withGroup(option, group);
    const std::string note
        = "<!-- Release notes: the tags need ColdFusion 4.5 or later and a Java runtime of "
          "version 1.2 or later; restart the server after installing. -->\r\n";
    while (text.size() + note.size() <= ConfigParser::maxTextSize)
        text += note;
    return text;
}

std::string denseText()
{
    const std::string option = "<OPTION# CAPTION=\"Register the sample tag number #\">\r\n"
                               "<OPTION# TYPE=\"JavaCFX\">\r\n"
                               "<OPTION# TAGNAME=\"CFX_SampleTag#\">\r\n"
                               "<OPTION# CLASS=\"com.example.tags.SampleTagClass\">\r\n"
                               "<OPTION# DESCRIPTION=\"Sample Java tag with a longer description\">\r\n"
                               "<OPTION# ENABLED=\"false\">\r\n"
                               "<OPTION# SOURCE=\"examples\\tag#\">\r\n"
                               "<OPTION# DEST=\"%DIR2%\\examples\\tag#\">\r\n";
    std::string text;
    for (char group = '1'; text.size() + option.size() <= ConfigParser::maxTextSize;
         group = group == '7' ? '1' : static_cast<char>(group + 1))
        text += withGroup(option, group);
    return text;
}

std::string sampleText(benchmark::State& state)
{
    const bool dense = state.range(0) != 0;
    state.SetLabel(dense ? "tag-dense" : "typical");
    return dense ? denseText() : typicalText();
}

// Named by its host path: the platform layer takes '/' as a separator and reaches the host's root
// through drive Z:, as Wine does.
class TempConf {
public:
    explicit TempConf(const std::string& text)
        : m_path(std::filesystem::temp_directory_path()
            / ("tarnwick-bench-" + std::to_string(std::random_device {}()) + ".conf"))
    {
        std::ofstream(m_path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    ~TempConf()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

void BM_ParseFile(benchmark::State& state)
{
    const std::string text = sampleText(state);
    const TempConf file(text);
    const std::string path = file.path();
    for (auto _ : state) {
        ConfigParser parser;
        InstallConfig config = parser.parse(path);
        if (!parser.loaded) {
            state.SkipWithError("install.conf could not be read");
            break;
        }
        benchmark::DoNotOptimize(config);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseFile)->Arg(0)->Arg(1);

void BM_ParseText(benchmark::State& state)
{
    const std::string text = sampleText(state);
    for (auto _ : state) {
        InstallConfig config = ConfigParser::parseText(text);
        benchmark::DoNotOptimize(config);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseText)->Arg(0)->Arg(1);

// Baseline: open, read and close the same file with nothing parsed.
void BM_ReadFileOnly(benchmark::State& state)
{
    const std::string text = sampleText(state);
    const TempConf file(text);
    const std::string path = file.path();
    std::array<char, ConfigParser::maxTextSize> buffer {};
    for (auto _ : state) {
        CFile in;
        if (!in.Open(path.c_str(), CFile::modeRead)) {
            state.SkipWithError("install.conf could not be opened");
            break;
        }
        benchmark::DoNotOptimize(in.Read(buffer.data(), static_cast<UINT>(buffer.size())));
        in.Close();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadFileOnly)->Arg(0);

} // namespace

BENCHMARK_MAIN();
