// Writes the example session's 30 recordings: make_session <folder>.
// kalimber --svg <folder> then draws the README's picture from them.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/example_session.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_session <folder>\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    if (error || !kalimber::sample::WriteExampleSession(argv[1])) {
        std::fprintf(stderr, "make_session: cannot write the session into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
