// The manual page, kalimber.1, made from the help page: its usage lines are
// the synopsis, its option groups the options, its exit statuses and examples
// sections of their own.
#include <string>

#include "tools/help_page.h"

namespace kalimber::docs {
namespace {

// Text as troff reads it: backslashes and hyphens escaped, and a line never
// starting with a control character.
std::string Roff(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '\\' ? std::string("\\e") : c == '-' ? std::string("\\-") : std::string(1, c);
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

// "-q, --quiet" or "--cf HZ": the options bold, their values italic.
std::string Term(const std::string& term) {
    std::string out;
    std::size_t start = 0;
    while (start < term.size()) {
        std::size_t end = term.find(' ', start);
        if (end == std::string::npos) {
            end = term.size();
        }
        std::string word = term.substr(start, end - start);
        const bool comma = !word.empty() && word.back() == ',';
        if (comma) {
            word.pop_back();
        }
        const bool option = !word.empty() && word.front() == '-';
        const bool value = !word.empty() && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ=.") == std::string::npos;
        if (!out.empty()) {
            out += ' ';
        }
        out += option ? "\\fB" : value ? "\\fI" : "";
        out += Roff(word);
        out += option || value ? "\\fR" : "";
        out += comma ? "," : "";
        start = end + 1;
    }
    return out;
}

std::string Rows(const HelpBlock& block) {
    std::string out;
    for (const HelpRow& row : block.Rows) {
        out += ".TP\n" + Term(row.Term) + "\n" + Roff(row.Text) + "\n";
    }
    return out;
}

std::string Paragraph(const std::vector<std::string>& lines) {
    std::string out = ".PP\n";
    for (const std::string& line : lines) {
        out += Roff(line) + "\n";
    }
    return out;
}

bool HoldsOptions(const HelpBlock& block) {
    return !block.Rows.empty() && (block.Rows.front().Term.front() == '-' || block.Rows.front().Term.front() == '(');
}

}  // namespace

std::string ManPage(const std::vector<HelpBlock>& page, const std::string& version) {
    std::string synopsis;
    std::string description;
    std::string options;
    std::string exitStatus;
    std::string examples;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const HelpBlock& block = page[i];
        if (block.Title == "Usage") {
            for (const HelpRow& row : block.Rows) {
                synopsis += Term(row.Term) + "\n.br\n";
            }
            description += Rows(block);
        } else if (block.Title == "Exit status") {
            exitStatus += Rows(block);
        } else if (block.Title == "Examples") {
            examples += ".PP\n.nf\n.RS\n";
            for (const std::string& line : block.Lines) {
                examples += Roff(line) + "\n";
            }
            examples += ".RE\n.fi\n";
        } else if (HoldsOptions(block) || block.Title == "Values") {
            options += block.Title.empty() ? ".PP\n" : ".SS \"" + Roff(block.Title) + "\"\n";
            options += Rows(block) + (block.Lines.empty() ? "" : Paragraph(block.Lines));
        } else {
            description += Paragraph(block.Lines) + Rows(block);
        }
    }
    return ".\\\" kalimber.1, made from kalimber --help by make_docs: change cli/help.cpp, not this file.\n"
           ".TH KALIMBER 1 \"\" \"kalimber " + version + "\" \"User Commands\"\n"
           ".SH NAME\n"
           "kalimber \\- show, check and patch the headers of receiver recordings\n"
           ".SH SYNOPSIS\n" + synopsis +
           ".SH DESCRIPTION\n" + description +
           ".SH OPTIONS\n" + options +
           ".SH \"EXIT STATUS\"\n" + exitStatus +
           ".SH EXAMPLES\n" + examples +
           ".SH FILES\n"
           ".TP\n"
           ".I ToDoWave.txt\n"
           "Read from the working folder when kalimber is started without arguments: the\n"
           "recording's path on its first line, then one command a line: WCF and a number\n"
           "write the centre frequency, WBW and a number the bandwidth, in hertz (7050000,\n"
           "0x2EE00); a line that begins with / ends the commands. kalimber prints the\n"
           "header before and after the commands, then waits until it is ended (Ctrl\\-C).\n"
           ".SH \"SEE ALSO\"\n"
           "The README.md that comes with kalimber: the recording formats, annotated\n"
           "output of every mode, and a picture of a session.\n";
}

}  // namespace kalimber::docs
