// The walk over paths in-process: the wildcard matcher the Windows build uses,
// which folds case as Windows does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/path_walk.h"
#include "tests/test_support.h"

namespace kalimber::test {
namespace {

TEST(CommandLine, WildcardsMatchAsOnWindows) {
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"a.wav", "*.wav", true},       {"A.WAV", "*.wav", true},     {"a.wave", "*.wav", false},
        {"a.wav", "?.wav", true},       {"ab.wav", "?.wav", false},   {"\xE5\xBD\x95.wav", "?.wav", true},
        {"rec-1-b.wav", "rec*b.wav", true}, {"rec-1-c.wav", "rec*b.wav", false}, {"x", "*", true},
        {"", "*", true},                {"abc", "a*c*", true},        {"abcb", "*b", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
    }
    ScratchDir dir;
    WriteFileText("b.wav", "");
    WriteFileText("A.WAV", "");
    EXPECT_EQ(ExpandWildcards("*.wav"), (std::vector<std::string>{"A.WAV", "b.wav"}));
    EXPECT_EQ(ExpandWildcards("./?.WAV"), (std::vector<std::string>{"./A.WAV", "./b.wav"}));
    EXPECT_TRUE(ExpandWildcards("*.xyz").empty());  // told as a name that is not there
    EXPECT_TRUE(ExpandWildcards("nowhere/*.wav").empty());
    EXPECT_EQ(ExpandWildcards("c.wav"), std::vector<std::string>{"c.wav"});
}

}  // namespace
}  // namespace kalimber::test
