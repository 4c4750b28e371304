// The progress line in-process: it fits its width in characters, keeps its
// head, and cuts the path at its front.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/progress.h"
#include "header/print.h"

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

// A message first takes the progress line off the screen, once, and shows
// the name's controls escaped.
TEST(CommandLine, AMessageTakesTheProgressLineOffTheScreenFirst) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    g_ErrorOutput = sink;
    Console console;
    console.Shown = 5;
    TellError(console, "a\x1B.wav: gone");
    TellLine(console, "1 patched");
    g_ErrorOutput = nullptr;
    EXPECT_EQ(console.Shown, 0u);
    std::rewind(sink);
    std::string told(200, '\0');
    told.resize(std::fread(told.data(), 1, told.size(), sink));
    std::fclose(sink);
    EXPECT_EQ(told, "\r     \rkalimber: a\\x1B.wav: gone\n1 patched\n");
}

}  // namespace
}  // namespace kalimber::test
