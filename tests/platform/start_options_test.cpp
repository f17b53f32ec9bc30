// The Linux program's command line: what each option sets, and the one line
// a bad one gets.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "player/options.h"

namespace {

using vplat::player::Options;
using vplat::player::ParseOptions;

std::string Summary(const Options& o) {
    std::string text;
    text += o.help ? "help " : "";
    text += o.version ? "version " : "";
    text += o.verbose ? "verbose " : "";
    text += o.setFullscreen ? (o.fullscreen ? "fullscreen " : "window ") : "";
    text += o.scale > 0 ? "scale" + std::to_string(o.scale) + " " : "";
    text += o.setIntegerScale ? (o.integerScale ? "integer " : "fill ") : "";
    text += o.record.empty() ? "" : "record=" + o.record + " ";
    text += o.replay.empty() ? "" : "replay=" + o.replay + " ";
    text += o.timedemo.empty() ? "" : "timedemo=" + o.timedemo + " ";
    text += o.gif.empty() ? "" : "gif=" + o.gif + " ";
    return text.empty() ? "nothing" : text.substr(0, text.size() - 1);
}

struct GoodCase {
    const char* name;
    std::vector<std::string> args;
    const char* expected;
};

// Test names and failure reports show the case by its name, not its bytes.
void PrintTo(const GoodCase& c, std::ostream* out) {
    *out << c.name;
}

class GoodOptions : public testing::TestWithParam<GoodCase> {};

TEST_P(GoodOptions, Parse) {
    Options options;
    std::string error;
    ASSERT_TRUE(ParseOptions(GetParam().args, &options, &error)) << "refused: " << error;
    EXPECT_EQ(GetParam().expected, Summary(options));
}

const GoodCase kGood[] = {
    {"None", {}, "nothing"},
    {"Help", {"--help"}, "help"},
    {"ShortHelp", {"-h"}, "help"},
    {"Version", {"--version"}, "version"},
    {"Fullscreen", {"--fullscreen"}, "fullscreen"},
    {"WindowAfterFullscreenWins", {"--fullscreen", "--window"}, "window"},
    {"ScaleSeparate", {"--scale", "3"}, "scale3"},
    {"ScaleJoined", {"--scale=2"}, "scale2"},
    {"ScaleHighest", {"--scale", "8"}, "scale8"},
    {"NoIntegerScale", {"--no-integer-scale"}, "fill"},
    {"IntegerScaleLastWins", {"--no-integer-scale", "--integer-scale"}, "integer"},
    {"VerboseWithOthers", {"--verbose", "--window", "--scale=1"}, "verbose window scale1"},
    {"DoubleDashEnds", {"--verbose", "--"}, "verbose"},
    {"RecordWithWindow", {"--window", "--record", "a.txt"}, "window record=a.txt"},
    {"ReplayJoined", {"--replay=b.txt"}, "replay=b.txt"},
    {"TimedemoDashFile", {"--timedemo", "-x.txt"}, "timedemo=-x.txt"},
    {"GifOfReplay",
     {"--gif=o.gif", "--scale", "2", "--replay", "r.txt"},
     "scale2 replay=r.txt gif=o.gif"},
};

INSTANTIATE_TEST_SUITE_P(CommandLine, GoodOptions, testing::ValuesIn(kGood),
                         [](const testing::TestParamInfo<GoodCase>& info) {
                             return std::string(info.param.name);
                         });

struct BadCase {
    const char* name;
    std::vector<std::string> args;
    const char* expectedError;
};

// Test names and failure reports show the case by its name, not its bytes.
void PrintTo(const BadCase& c, std::ostream* out) {
    *out << c.name;
}

class BadOptions : public testing::TestWithParam<BadCase> {};

TEST_P(BadOptions, AreRefusedWithALineNamingThem) {
    Options options;
    std::string error;
    EXPECT_FALSE(ParseOptions(GetParam().args, &options, &error))
        << "accepted, giving " << Summary(options);
    EXPECT_EQ(GetParam().expectedError, error);
}

const BadCase kBad[] = {
    {"Unknown", {"--fly"}, "unknown option '--fly'"},
    {"UnknownShort", {"-x"}, "unknown option '-x'"},
    {"Argument", {"game.dat"}, "unexpected argument 'game.dat'"},
    {"ArgumentAfterDoubleDash", {"--", "--help"}, "unexpected argument '--help'"},
    {"ScaleMissing", {"--scale"}, "option '--scale' needs a value (1 to 8)"},
    {"ScaleZero",
     {"--scale", "0"},
     "option '--scale': expected a whole number from 1 to 8, not '0'"},
    {"ScaleTooBig",
     {"--scale=9"},
     "option '--scale': expected a whole number from 1 to 8, not '9'"},
    {"ScaleNotANumber",
     {"--scale", "two"},
     "option '--scale': expected a whole number from 1 to 8, not 'two'"},
    {"ScaleNegative",
     {"--scale=-1"},
     "option '--scale': expected a whole number from 1 to 8, not '-1'"},
    {"ScaleHuge",
     {"--scale", "99999999999999999999"},
     "option '--scale': expected a whole number from 1 to 8, not '99999999999999999999'"},
    {"ScaleEmpty", {"--scale="}, "option '--scale': expected a whole number from 1 to 8, not ''"},
    {"FlagWithValue", {"--fullscreen=yes"}, "option '--fullscreen' takes no value"},
    {"BadAfterGood", {"--window", "--wndow"}, "unknown option '--wndow'"},
    {"Abbreviation", {"--verb"}, "unknown option '--verb'"},
    {"AbbreviatedScale", {"--sca", "3"}, "unknown option '--sca'"},
    {"ShortCluster", {"-hh"}, "unknown option '-hh'"},
    {"ShortWithValue", {"-h=1"}, "option '-h' takes no value"},
    {"RecordMissing", {"--record"}, "option '--record' needs a file"},
    {"ReplayEmpty", {"--replay="}, "option '--replay' needs a file"},
    {"GifWithoutFile", {"--replay", "r", "--gif"}, "option '--gif' needs a file"},
    {"GifWithoutReplay", {"--gif", "o.gif"}, "option '--gif' needs '--replay FILE'"},
    {"GifOfTimedemo", {"--timedemo", "t", "--gif", "o"}, "option '--gif' needs '--replay FILE'"},
    {"RecordAndReplay",
     {"--record", "a", "--replay", "b"},
     "options '--record' and '--replay' do not go together"},
    {"ReplayAndTimedemo",
     {"--timedemo=a", "--replay=b"},
     "options '--replay' and '--timedemo' do not go together"},
};

INSTANTIATE_TEST_SUITE_P(CommandLine, BadOptions, testing::ValuesIn(kBad),
                         [](const testing::TestParamInfo<BadCase>& info) {
                             return std::string(info.param.name);
                         });

// The parser's place in the command line is process-wide; a second parse
// must start from the beginning whatever the first left behind.
TEST(CommandLine, SecondParseStartsAfresh) {
    Options first;
    std::string error;
    ASSERT_FALSE(ParseOptions({"--window", "--verbose", "--fly"}, &first, &error));
    Options second;
    ASSERT_TRUE(ParseOptions({"--scale", "3"}, &second, &error)) << "refused: " << error;
    EXPECT_EQ("scale3", Summary(second));
}

}  // namespace
