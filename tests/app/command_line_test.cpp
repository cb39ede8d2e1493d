// The command line: what each spelling asks for, and a clear refusal of what is wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

bool Parse(std::vector<std::string> words, SCommandLine& out, std::string& error) {
    words.insert(words.begin(), "kelvodara");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return ParseCommandLine(int(words.size()), argv.data(), out, error);
}

TEST(CommandLine, OptionsAreReadTheGnuWay) {
    SCommandLine o;
    std::string error;
    ASSERT_TRUE(Parse({"-f", "--window"}, o, error)) << error;
    EXPECT_EQ(o.fullScreen, false);  // the last of the two wins
    ASSERT_TRUE(Parse({"--replay", "a.kdr"}, o, error)) << error;
    EXPECT_EQ(o.replayFile, "a.kdr");
    ASSERT_TRUE(Parse({"--host", "5000"}, o, error)) << error;
    EXPECT_EQ(o.hostPort, 5000);
    ASSERT_TRUE(Parse({"--host"}, o, error)) << error;
    EXPECT_EQ(o.hostPort, 0);  // the default port
    ASSERT_TRUE(Parse({"--join=example.org:6000", "-hV"}, o, error)) << error;
    EXPECT_EQ(o.joinAddress, "example.org:6000");
    EXPECT_TRUE(o.bHelp && o.bVersion && !o.fullScreen.has_value());
}

TEST(CommandLine, AWrongCommandLineNamesTheFaultAndPointsToHelp) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--bogus"}, "unrecognized option '--bogus'"},  {{"--replay"}, "requires an argument"},
        {{"--host=65536"}, "not a port number"},         {{"--join", ":80"}, "not HOST or HOST:PORT"},
        {{"stray"}, "unexpected argument 'stray'"},      {{"--host", "--join=a"}, "exclude each other"},
    };
    for (const auto& [words, message] : bad) {
        SCommandLine o;
        std::string error;
        EXPECT_FALSE(Parse(words, o, error)) << words[0];
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_NE(error.find("--help"), std::string::npos) << error;
    }
}

}  // namespace
