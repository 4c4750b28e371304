// The help page read back into its parts: the groups under their titles, the
// rows of two columns and the plain lines, for the manual and the completions.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"

namespace kalimber::docs {

// A row of two columns, "  --cf HZ      write this centre frequency", with
// the lines that continue its text joined by blanks.
struct HelpRow {
    std::string Term;
    std::string Text;
};

// A block of the page between blank lines: its title ("Report", "" for a
// block without one) and its rows or plain lines, in order.
struct HelpBlock {
    std::string Title;
    std::vector<HelpRow> Rows;
    std::vector<std::string> Lines;
};

std::vector<HelpBlock> ReadHelpPage(std::string_view page);

// The parts one after another (appended, which g++ 12 at -O3 does not
// mistake for overlapping copies as it does some chains of +).
std::string Cat(std::initializer_list<std::string_view> parts);

// The text the page gives an option, "" where it gives none.
std::string OptionText(const std::vector<HelpBlock>& page, const OptionSpelling& option);

// The generated files: a manual page in man(7) form, and the completion
// scripts of bash, zsh, fish and PowerShell, all from the option table, the
// table of fields and the help page.
std::string ManPage(const std::vector<HelpBlock>& page, const std::string& version);
std::string BashCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>& page);
std::string ZshCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>& page);
std::string FishCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>& page);
std::string PowerShellCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>& page);

}  // namespace kalimber::docs
