#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Arguments = std::vector<std::string>;

// The message Parse gives for arguments, or "<accepted>".
std::string Refusal(const Arguments& arguments)
{
    CommandLine line;
    std::string error;
    return CommandLine::Parse(arguments, line, error) ? "<accepted>" : error;
}

TEST(CommandLine, ReadsEveryOptionOfACommandInBothForms)
{
    CommandLine line;
    std::string error;
    ASSERT_TRUE(
        CommandLine::Parse({ "install", "--package", "C:\\pkg", "--answers=a.ini", "--set", "Dir1=C:\\Tags",
                               "--set=Options=1,2", "--log", "-", "--backup", "C:\\Backup" },
            line, error))
        << error;
    EXPECT_EQ("install", line.command);
    EXPECT_EQ("C:\\pkg", line.package);
    EXPECT_EQ(std::optional<std::string>("a.ini"), line.answersFile);
    EXPECT_EQ((Arguments { "Dir1=C:\\Tags", "Options=1,2" }), line.sets) << "--set may repeat, in order";
    EXPECT_EQ(std::optional<std::string>("-"), line.log);
    EXPECT_FALSE(line.installLog);
    EXPECT_EQ(std::optional<std::string>("C:\\Backup"), line.backup);

    ASSERT_TRUE(
        CommandLine::Parse({ "undo", "--force", "--log", "in.jsonl", "--log-out=out.jsonl" }, line, error))
        << error;
    EXPECT_TRUE(line.force);
    EXPECT_EQ(".", line.package) << "Parse starts from a fresh line";
    EXPECT_EQ(std::optional<std::string>("in.jsonl"), line.installLog) << "undo reads the log install wrote";
    EXPECT_FALSE(line.log);
    EXPECT_EQ(std::optional<std::string>("out.jsonl"), line.logOut);
    EXPECT_FALSE(line.plan);

    ASSERT_TRUE(CommandLine::Parse({ "undo", "--log", "in.jsonl", "--plan", "--json" }, line, error))
        << error;
    EXPECT_TRUE(line.plan);
    EXPECT_TRUE(line.json);
    EXPECT_FALSE(line.logOut);
}

TEST(CommandLine, AnOptionWithoutItsValueAtTheEndOfTheLineIsNamed)
{
    for (const Arguments& arguments : { Arguments { "undo", "--log" }, Arguments { "plan", "--package" },
             Arguments { "install", "--answers" }, Arguments { "install", "--set" },
             Arguments { "install", "--backup" }, Arguments { "undo", "--log", "a", "--log-out" },
             Arguments { "install", "--log" } }) {
        EXPECT_EQ(arguments.back() + " needs a value", Refusal(arguments)) << arguments[0];
    }
}

TEST(CommandLine, AnOptionGivenTwiceIsRefusedInEitherForm)
{
    EXPECT_EQ("--log given twice", Refusal({ "undo", "--log", "a", "--log", "b" }));
    EXPECT_EQ("--package given twice", Refusal({ "plan", "--package", "a", "--package=b" }));
    EXPECT_EQ("--answers given twice", Refusal({ "install", "--answers=a", "--answers=a" }));
    EXPECT_EQ("--json given twice", Refusal({ "check", "--json", "--json" }));
    EXPECT_EQ("--force given twice", Refusal({ "undo", "--log", "a", "--force", "--force" }));
}

TEST(CommandLine, AFlagTakesNoValue)
{
    EXPECT_EQ("--json takes no value", Refusal({ "plan", "--json=yes" }));
    EXPECT_EQ("--json takes no value", Refusal({ "check", "--json=" }));
    EXPECT_EQ("--force takes no value", Refusal({ "undo", "--log", "a", "--force=1" }));
}

TEST(CommandLine, AnOptionTheCommandDoesNotTakeIsNamedWithTheCommand)
{
    EXPECT_EQ("check has no option --log", Refusal({ "check", "--log", "x" }));
    EXPECT_EQ("plan has no option --log", Refusal({ "plan", "--log=x" }));
    EXPECT_EQ("plan has no option --backup", Refusal({ "plan", "--backup", "x" }));
    EXPECT_EQ("undo has no option --package", Refusal({ "undo", "--log", "a", "--package", "." }));
    EXPECT_EQ("answers has no option --json", Refusal({ "answers", "--json" }));
    EXPECT_EQ("install has no option --force", Refusal({ "install", "--force" }));
    EXPECT_EQ("install has no option --log-out", Refusal({ "install", "--log-out", "x" }));
    EXPECT_EQ("install has no option --verbose", Refusal({ "install", "--verbose" }));
    EXPECT_EQ("unexpected argument extra", Refusal({ "plan", "extra" }));
}

TEST(CommandLine, CommandsAndTheirOwnRulesAreChecked)
{
    EXPECT_EQ("no command given", Refusal({}));
    EXPECT_EQ("unknown command remove", Refusal({ "remove" }));
    EXPECT_EQ("undo needs --log FILE, the log of the install to take back", Refusal({ "undo", "--force" }));
    EXPECT_EQ("undo needs --log FILE, the log of the install to take back", Refusal({ "undo", "--plan" }));
    EXPECT_EQ("undo --plan changes nothing and writes no log: --log-out does not go with it",
        Refusal({ "undo", "--log", "a", "--plan", "--log-out", "b" }));
    EXPECT_EQ("undo --json goes with --plan; the log of an undo is --log-out",
        Refusal({ "undo", "--log", "a", "--json" }));
    EXPECT_EQ("install has no option --plan", Refusal({ "install", "--plan" }));
    EXPECT_EQ("--plan given twice", Refusal({ "undo", "--log", "a", "--plan", "--plan" }));
    EXPECT_EQ("--help takes nothing more", Refusal({ "--help", "install" }));
    EXPECT_EQ("--version takes nothing more", Refusal({ "--version", "--json" }));
    EXPECT_EQ("<accepted>", Refusal({ "/?" }));
}

} // namespace
