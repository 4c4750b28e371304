// The manual page and the completion scripts as generated: every option that
// the help page names documented and completed, and nothing else; bash's
// completion called as bash calls it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>

#include "cli/help.h"
#include "cli/options.h"
#include "tests/test_support.h"
#include "tools/help_page.h"

namespace kalimber::test {
namespace {

// The long options a text names; troff's \- read as the hyphen it prints.
std::set<std::string> LongOptions(const std::string& page) {
    std::string text;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\\' && i + 1 < page.size() && page[i + 1] == '-') {
            continue;  // the - after it stays
        }
        text += page[i];
    }
    std::set<std::string> names;
    const std::regex option("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it) {
        names.insert(it->str());
    }
    return names;
}

TEST(Docs, TheManualNamesEveryOptionThatTheHelpNamesAndNoOther) {
    const std::string man = docs::ManPage(docs::ReadHelpPage(HelpText), "1.0");
    const std::set<std::string> help = LongOptions(HelpText);
    EXPECT_EQ(LongOptions(man), help);
    std::set<std::string> table;
    for (const OptionSpelling& o : OptionTable) {
        table.insert(o.Long);
        if (o.Short != 0) {
            std::string name;
            for (const char c : std::string_view(o.Long)) {
                if (c == '-') {
                    name += '\\';
                }
                name += c;
            }
            EXPECT_NE(man.find(std::string("\\fB\\-") + o.Short + "\\fR, \\fB" + name + "\\fR"), std::string::npos)
                << o.Long;
        }
    }
    EXPECT_EQ(table, help);
    for (const char* section : {".SH NAME\n", ".SH SYNOPSIS\n", ".SH DESCRIPTION\n", ".SH OPTIONS\n",
                                ".SH \"EXIT STATUS\"\n", ".SH EXAMPLES\n", ".SH FILES\n", ".SH \"SEE ALSO\"\n"}) {
        EXPECT_NE(man.find(section), std::string::npos) << section;
    }
}

TEST(Docs, EveryCompletionOffersEveryOptionWithItsText) {
    const std::vector<docs::HelpBlock> page = docs::ReadHelpPage(HelpText);
    const std::string scripts[] = {docs::BashCompletion(OptionTable, page), docs::ZshCompletion(OptionTable, page),
                                   docs::FishCompletion(OptionTable, page),
                                   docs::PowerShellCompletion(OptionTable, page)};
    for (const OptionSpelling& o : OptionTable) {
        SCOPED_TRACE(o.Long);
        const std::string text = docs::OptionText(page, o);
        EXPECT_FALSE(text.empty());
        EXPECT_TRUE(std::regex_search(scripts[0], std::regex("compgen -W '([^']* )?" + std::string(o.Long) + "[ ']")));
        EXPECT_TRUE(std::regex_search(scripts[1], std::regex(std::string(o.Long) + "(\\}')?\\[")));
        EXPECT_NE(scripts[2].find(std::string("-l ") + (o.Long + 2) + " "), std::string::npos);
        EXPECT_NE(scripts[3].find(std::string("@('") + o.Long + "', '"), std::string::npos);
        EXPECT_NE(scripts[2].find(text.substr(0, text.find('\''))), std::string::npos);  // fish escapes quotes
    }
}

// What bash's completion offers for the words, in a folder of recordings,
// sorted and joined by blanks.
std::string BashOffers(const std::string& script, const std::vector<std::string>& words) {
    std::string call = "cd rec && source ../completion.bash && COMP_WORDS=(";
    for (const std::string& word : words) {
        call += " '" + word + "'";
    }
    call += " ) && COMP_CWORD=" + std::to_string(words.size() - 1) +
            " && _kalimber; (( ${#COMPREPLY[@]} )) && printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort | tr '\\n' ' '";
    std::ofstream("completion.bash") << script;
    std::ofstream("call.sh") << call;
    std::FILE* bash = popen("bash call.sh", "r");
    std::string out;
    char chunk[256];
    for (std::size_t got; bash != nullptr && (got = std::fread(chunk, 1, sizeof chunk, bash)) > 0;) {
        out.append(chunk, got);
    }
    if (bash != nullptr) {
        pclose(bash);
    }
    return out;
}

TEST(Docs, BashCompletesOptionsFieldsAndRecordings) {
    ScratchDir dir;
    for (const char* file : {"rec/sub/x.wav", "rec/a.wav", "rec/B.WAV", "rec/notes.txt"}) {
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file) << "x";
    }
    const std::vector<docs::HelpBlock> page = docs::ReadHelpPage(HelpText);
    const std::string bash = docs::BashCompletion(OptionTable, page);
    // An option of FIELD=VALUE, as the repair options take.
    std::vector<OptionSpelling> withSet = OptionTable;
    withSet.push_back({0, "--set", "FIELD=VALUE"});
    const std::string bashWithSet = docs::BashCompletion(withSet, page);
    const struct {
        const char* name;
        const std::string& script;
        std::vector<std::string> words;
        std::string offers;
    } cases[] = {
        {"options", bash, {"kalimber", "--c"}, "--cf --chain --csv "},
        {"short options", bash, {"kalimber", "-"}, ""},  // checked below: every spelling
        {"a value is no path", bash, {"kalimber", "--cf", ""}, ""},
        {"folders and .wav files in any case", bash, {"kalimber", ""}, "B.WAV a.wav sub "},
        {"a path prefix", bash, {"kalimber", "--json", "s"}, "sub "},
        {"field names", bashWithSet, {"kalimber", "--set", "Cen"}, "CenterFreq= "},
        {"the check among the fields", bashWithSet, {"kalimber", "--set", "Che"}, "Check= "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string offers = BashOffers(c.script, c.words);
        if (std::string(c.name) == "short options") {
            for (const OptionSpelling& o : OptionTable) {
                EXPECT_NE((" " + offers).find(std::string(" ") + o.Long + " "), std::string::npos) << o.Long;
            }
        } else {
            EXPECT_EQ(offers, c.offers);
        }
    }
}

}  // namespace
}  // namespace kalimber::test
