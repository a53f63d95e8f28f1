#include "app/Arguments.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using tvl::TRunMode;

struct ParseCase {
    const char* name;
    std::vector<std::string> arguments;
    TRunMode mode;
    bool verbose = false;
    std::string definition = {};
    std::string attachment = {};
    std::string errorPart = {};  // a text the usage error must name
    friend void PrintTo(const ParseCase& row, std::ostream* os) { *os << row.name; }
};

class CommandLine : public testing::TestWithParam<ParseCase> {};

TEST_P(CommandLine, Parses) {
    const ParseCase& c = GetParam();
    const tvl::TCommandLine line = tvl::ParseCommandLine(c.arguments);
    EXPECT_EQ(line.Mode, c.mode);
    EXPECT_EQ(line.Verbose, c.verbose);
    EXPECT_EQ(line.Definition, c.definition);
    EXPECT_EQ(line.Attachment, c.attachment);
    if (c.mode == TRunMode::UsageError)
        EXPECT_NE(line.Error.find(c.errorPart), std::string::npos) << line.Error;
    else
        EXPECT_EQ(line.Error, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLine,
    testing::Values(
        ParseCase{"NoArgument", {}, TRunMode::Window},
        ParseCase{"BlankFirstOpensWindowWhateverFollows", {"\u3000 ", "--dump"}, TRunMode::Window},
        ParseCase{"DefinitionOnly", {"a.def"}, TRunMode::Send, false, "a.def"},
        ParseCase{"UntrimmedPathsAndThirdIgnored", {" a.def", " b.csv ", "c"}, TRunMode::Send,
                  false, " a.def", " b.csv "},
        ParseCase{"Dump", {"--dump", "a.def", "b.csv"}, TRunMode::Dump, false, "a.def", "b.csv"},
        ParseCase{"Verbose", {"--verbose", "a.def"}, TRunMode::Send, true, "a.def"},
        ParseCase{"SingleDashIsAFileName", {"-x"}, TRunMode::Send, false, "-x"},
        ParseCase{"DotSlashDashDash", {"./--help"}, TRunMode::Send, false, "./--help"},
        ParseCase{"OptionAfterDefinitionIsTheAttachment", {"a.def", "--dump"}, TRunMode::Send,
                  false, "a.def", "--dump"},
        ParseCase{"ShortHelp", {"-h"}, TRunMode::Help},
        ParseCase{"HelpAfterAnOption", {"--verbose", "--help", "a.def"}, TRunMode::Help},
        ParseCase{"Version", {"--version", "a.def"}, TRunMode::Version},
        ParseCase{"UnknownOption", {"--dupm", "a.def"}, TRunMode::UsageError, false, "", "",
                  "--dupm"},
        ParseCase{"UnknownOptionAlone", {"--"}, TRunMode::UsageError, false, "", "", "--"},
        ParseCase{"OptionWithoutDefinition", {"--dump"}, TRunMode::UsageError, false, "", "",
                  "定義ファイル"},
        ParseCase{"OptionWithBlankDefinition", {"--verbose", "\u3000"}, TRunMode::UsageError,
                  false, "", "", "定義ファイル"},
        ParseCase{"DumpAndVerbose", {"--verbose", "--dump", "a.def"}, TRunMode::UsageError,
                  false, "", "", "--dump"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
