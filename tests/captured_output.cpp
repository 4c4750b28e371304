// The tool's output held in a memory stream: no file, no limit on file sizes,
// nothing left behind.
#include "tests/captured_output.h"

#include <cstdlib>
#include <stdexcept>

#include "header/print.h"

namespace kalimber {

CapturedOutput::CapturedOutput() {
    Open();
}

void CapturedOutput::Open() {
    file_ = open_memstream(&buffer_, &size_);
    if (file_ == nullptr) {
        throw std::runtime_error("open_memstream failed");
    }
    g_Output = file_;
}

CapturedOutput::~CapturedOutput() {
    g_Output = nullptr;
    std::fclose(file_);
    std::free(buffer_);
}

std::string CapturedOutput::Take() {
    std::fflush(file_);
    std::string text(buffer_, size_);
    std::fclose(file_);
    std::free(buffer_);
    buffer_ = nullptr;
    Open();
    return text;
}

}  // namespace kalimber
