// Points the tool's output at memory while it lives, for the tests and the
// fuzzers alike: what was printed since it began, or since the last Take.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace kalimber {

class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    // What was printed, and a fresh start.
    std::string Take();

private:
    void Open();
    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;  // in memory, so a limit on file sizes never cuts it
    std::size_t size_ = 0;
};

}  // namespace kalimber
