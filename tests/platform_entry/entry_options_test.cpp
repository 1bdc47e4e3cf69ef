// The entry's options: what is taken out, what reaches the program, what is
// refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "entry_options.h"

namespace {

const std::vector<entry::OptionRow> kTable = {
    {"--help", nullptr, "show this help"},
    {"--window", nullptr, "start in a window"},
    {"--data-dir", "DIR", "work in DIR"},
};

entry::ParsedOptions Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "program");
    return entry::ParseOptions(kTable, static_cast<int>(args.size()), args.data());
}

TEST(EntryOptions, TakesOutKnownOptionsAndPassesTheRestInOrder) {
    const entry::ParsedOptions parsed = Parse({"first", "--window", "--data-dir", "a b", "-", "second"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.Has("--window"));
    EXPECT_FALSE(parsed.Has("--help"));
    EXPECT_EQ(parsed.Value("--data-dir"), "a b");
    EXPECT_EQ(parsed.rest, (std::vector<std::string>{"first", "-", "second"}));

    EXPECT_EQ(Parse({"--data-dir=x=y"}).Value("--data-dir"), "x=y");
    const entry::ParsedOptions after = Parse({"--", "--window", "--bogus"});
    EXPECT_EQ(after.error, "");
    EXPECT_FALSE(after.Has("--window"));
    EXPECT_EQ(after.rest, (std::vector<std::string>{"--window", "--bogus"}));
}

TEST(EntryOptions, RefusesWhatItDoesNotKnowOrWhatIsIncomplete) {
    const struct {
        std::vector<const char*> args;
        const char* error;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-w"}, "unknown option '-w'"},
        {{"--windowed"}, "unknown option '--windowed'"},
        {{"--window=yes"}, "option '--window' takes no value"},
        {{"--data-dir"}, "option '--data-dir' needs DIR"},
        {{"--data-dir="}, "option '--data-dir' needs DIR"},
        {{"--data-dir", ""}, "option '--data-dir' needs DIR"},
    };
    for (const auto& c : cases) EXPECT_EQ(Parse(c.args).error, c.error) << c.args[0];
}

TEST(EntryOptions, UsageListsEveryOptionAligned) {
    EXPECT_EQ(entry::Usage(kTable, "zarnok", "A game."),
              "Usage: zarnok [OPTION]...\nA game.\n\nOptions:\n"
              "  --help          show this help\n"
              "  --window        start in a window\n"
              "  --data-dir DIR  work in DIR\n");
}

}  // namespace
