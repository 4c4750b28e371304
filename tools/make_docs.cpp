// Writes one generated file of the tool's documentation: make_docs man FILE
// VERSION for the manual page, make_docs bash|zsh|fish|powershell FILE for a
// completion script.
#include <cstdio>
#include <string>

#include "cli/help.h"
#include "tools/help_page.h"

int main(int argc, char** argv) {
    using namespace kalimber;
    const std::string what = argc >= 3 ? argv[1] : "";
    const std::vector<docs::HelpBlock> page = docs::ReadHelpPage(HelpText);
    std::string text;
    if (what == "man" && argc == 4) {
        text = docs::ManPage(page, argv[3]);
    } else if (what == "bash" && argc == 3) {
        text = docs::BashCompletion(OptionTable, page);
    } else if (what == "zsh" && argc == 3) {
        text = docs::ZshCompletion(OptionTable, page);
    } else if (what == "fish" && argc == 3) {
        text = docs::FishCompletion(OptionTable, page);
    } else if (what == "powershell" && argc == 3) {
        text = docs::PowerShellCompletion(OptionTable, page);
    } else {
        std::fprintf(stderr, "usage: make_docs man FILE VERSION | make_docs bash|zsh|fish|powershell FILE\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    const bool written = out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (out == nullptr || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "make_docs: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
