// Writes the bundled sample recording: make_sample <path>.
// The file is made by the project's own builder, never taken from elsewhere.
#include <cstdio>

#include "tools/sample_recording.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample <output.wav>\n");
        return 2;
    }
    using namespace kalimber::sample;
    const auto bytes = MakeRecording(MakeHeader(SampleDataBytes), MakeSamples(SampleDataBytes));
    if (!WriteFileBytes(argv[1], bytes)) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
