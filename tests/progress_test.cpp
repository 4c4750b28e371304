// The progress line in-process: it fits its width in characters, keeps its
// head, and cuts the path at its front.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/progress.h"

namespace kalimber::test {
namespace {

TEST(CommandLine, AProgressLineFitsItsWidthCutAtThePathsFront) {
    const struct {
        const char* path;
        std::size_t width;
        const char* line;
        std::uint64_t total = 345;
    } cases[] = {
        {"rec/a.wav", 79, "patching 12 of 345: rec/a.wav"},
        {"rec/a.wav", 79, "patching 12: rec/a.wav", 11},  // links followed past the files counted
        {"rec/abcdefgh.wav", 30, "patching 12 of 345: ...fgh.wav"},
        {"rec/\xC3\xA4\xC3\xA4\xC3\xA4.wav", 30, "patching 12 of 345: ...\xC3\xA4\xC3\xA4\xC3\xA4.wav"},
        {"rec/\xC3\xA4\xC3\xA4\xC3\xA4.wav", 28, "patching 12 of 345: ...\xC3\xA4.wav"},
        {"a\nb.wav", 79, "patching 12 of 345: a\\x0Ab.wav"},
        {"rec/a.wav", 10, "patching 12 of 345: ..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressLine("patching", 12, c.total, c.path, c.width), c.line) << c.path << " " << c.width;
    }
}

}  // namespace
}  // namespace kalimber::test
