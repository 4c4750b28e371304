// Writes the example session's 30 recordings (make_session <folder>), or the
// crowded minute (make_session --crowded <folder>), for kalimber --svg to draw.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/example_session.h"

int main(int argc, char** argv) {
    const bool crowded = argc == 3 && std::string(argv[1]) == "--crowded";
    if (argc != 2 && !crowded) {
        std::fprintf(stderr, "usage: make_session [--crowded] <folder>\n");
        return 2;
    }
    const char* folder = argv[argc - 1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !(crowded ? kalimber::sample::WriteCrowdedSession(folder) : kalimber::sample::WriteExampleSession(folder))) {
        std::fprintf(stderr, "make_session: cannot write the session into %s\n", folder);
        return 1;
    }
    return 0;
}
