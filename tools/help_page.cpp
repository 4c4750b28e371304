// Reads the help page back: titles end in a colon at the margin, a row's two
// columns are parted by two blanks, deeper lines continue the row above.
#include "tools/help_page.h"

namespace kalimber::docs {
namespace {

// The line without its leading blanks, and how many there were.
std::string_view Unindented(std::string_view line, std::size_t& indent) {
    indent = line.find_first_not_of(' ');
    return indent == std::string_view::npos ? std::string_view() : line.substr(indent);
}

}  // namespace

std::vector<HelpBlock> ReadHelpPage(std::string_view page) {
    std::vector<HelpBlock> blocks;
    bool startBlock = true;
    bool lastWasRow = false;  // what the line above added to its block
    while (!page.empty()) {
        const std::size_t end = page.find('\n');
        const std::string_view line = page.substr(0, end);
        page = end == std::string_view::npos ? std::string_view() : page.substr(end + 1);
        if (line.empty()) {
            startBlock = true;
            continue;
        }
        if (startBlock) {
            blocks.emplace_back();
            startBlock = false;
            if (line.back() == ':' && line.front() != ' ') {
                blocks.back().Title = std::string(line.substr(0, line.size() - 1));
                continue;
            }
        }
        HelpBlock& block = blocks.back();
        std::size_t indent = 0;
        const std::string_view text = Unindented(line, indent);
        if (indent >= 5 && (lastWasRow ? !block.Rows.empty() : !block.Lines.empty())) {
            // A deeper line: the text of the row above, or of the line above made a row.
            if (!lastWasRow) {
                block.Rows.push_back({block.Lines.back(), ""});
                block.Lines.pop_back();
                lastWasRow = true;
            }
            std::string& row = block.Rows.back().Text;
            if (!row.empty()) {
                row += ' ';
            }
            row += text;
            continue;
        }
        const std::size_t gap = text.find("  ");
        lastWasRow = indent > 0 && gap != std::string_view::npos;
        if (lastWasRow) {
            const std::size_t start = text.find_first_not_of(' ', gap);
            block.Rows.push_back({std::string(text.substr(0, gap)), std::string(text.substr(start))});
        } else {
            block.Lines.emplace_back(indent > 0 ? text : line);
        }
    }
    return blocks;
}

std::string Cat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (const std::string_view part : parts) {
        out += part;
    }
    return out;
}

std::string OptionText(const std::vector<HelpBlock>& page, const OptionSpelling& option) {
    for (const HelpBlock& block : page) {
        for (const HelpRow& row : block.Rows) {
            if (row.Term.empty() || row.Term.front() != '-') {
                continue;  // a usage line, an exit status
            }
            const std::string name = option.Long;
            const std::size_t at = row.Term.find(name);
            const std::size_t after = at + name.size();
            if (at != std::string::npos && (after == row.Term.size() || row.Term[after] == ' ')) {
                return row.Text;
            }
        }
    }
    return "";
}

}  // namespace kalimber::docs
