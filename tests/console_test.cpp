// What reaches a terminal or a console in-process: control bytes shown escaped
// and nothing else, and an owned console's wait outside the output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "platform/unicode.h"
#include "tests/test_support.h"

namespace kalimber::test {
namespace {

TEST(CommandLine, ControlsAreShownEscapedAndNothingElse) {
    const struct {
        std::string bytes;
        const char* shown;
    } cases[] = {
        {"a\nb\r", "a\\x0Ab\\x0D"},           {std::string("\0\x1F\x20", 3), "\\x00\\x1F "},
        {"\x1B[31m", "\\x1B[31m"},             {"\x7E\x7F", "~\\x7F"},
        {"\xC2\x80\xC2\x9F", "\\xC2\\x80\\xC2\\x9F"}, {"\xC2\xA0 \xC3\xA9", "\xC2\xA0 \xC3\xA9"},
        {"\x9B \xC2", "\x9B \xC2"},             {"\xC2\xC2\x9B", "\xC2\\xC2\\x9B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeControls(c.bytes), c.shown) << c.shown;
    }
}

TEST(CommandLine, AnOwnedConsoleWaitsForEnterOutsideTheOutput) {
    for (const bool owned : {false, true}) {
        SCOPED_TRACE(owned);
        ScratchDir dir;
        FakePlatform platform;
        FakePlatform::ownsConsole = owned;
        CapturedOutput output;
        EXPECT_EQ(RunCommandLine({"-V"}), 0);
        EXPECT_EQ(output.Take(), "kalimber 1.0\n");
        EXPECT_EQ(FakePlatform::waits, owned ? 1 : 0);
    }
}

}  // namespace
}  // namespace kalimber::test
