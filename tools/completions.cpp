// The completion scripts of bash, zsh, fish and PowerShell, made from the
// option table: options, the field names an option of FIELD=VALUE takes, and
// paths to folders and .wav files.
#include <string>

#include "cli/field_values.h"
#include "header/fields.h"
#include "tools/help_page.h"

namespace kalimber::docs {
namespace {

constexpr std::string_view kFieldValue = "FIELD=VALUE";
constexpr std::string_view kMadeBy = "made by make_docs from kalimber's option table; not to be changed by hand.\n";

std::string_view Letter(const OptionSpelling& o) {
    return std::string_view(&o.Short, 1);
}

bool TakesFields(const OptionSpelling& o) {
    return o.Value != nullptr && o.Value == kFieldValue;
}

// Every field's name as FIELD takes it (RIFF.CnkSize where chunks share a
// label) with its =, and Check, for FIELD=VALUE.
std::vector<std::string> FieldWords() {
    std::vector<std::string> words;
    for (const FieldRow& row : FieldTable) {
        words.push_back(Cat({FieldName(row), "="}));
    }
    words.emplace_back("Check=");
    return words;
}

std::string Joined(const std::vector<std::string>& words, std::string_view between) {
    std::string out;
    for (const std::string& word : words) {
        if (!out.empty()) {
            out += between;
        }
        out += word;
    }
    return out;
}

// The names of the options whose value is of this kind (a FIELD=VALUE, or any other).
std::vector<std::string> TakingValues(const std::vector<OptionSpelling>& options, bool fields) {
    std::vector<std::string> names;
    for (const OptionSpelling& o : options) {
        if (o.Value != nullptr && TakesFields(o) == fields) {
            names.emplace_back(o.Long);
        }
    }
    return names;
}

// Text between single quotes: a quote as the shell writes it there.
std::string Quoted(const std::string& text, std::string_view quote) {
    std::string out;
    for (const char c : text) {
        if (c == '\'') {
            out += quote;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string BashCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>&) {
    std::vector<std::string> words;
    for (const OptionSpelling& o : options) {
        if (o.Short != 0) {
            words.push_back(Cat({"-", Letter(o)}));
        }
        words.emplace_back(o.Long);
    }
    const std::vector<std::string> values = TakingValues(options, false);
    const std::vector<std::string> fields = TakingValues(options, true);
    std::string script = Cat({"# bash completion for kalimber, ", kMadeBy,
                              "_kalimber() {\n"
                              "    local cur=${COMP_WORDS[COMP_CWORD]} prev=\n"
                              "    (( COMP_CWORD > 0 )) && prev=${COMP_WORDS[COMP_CWORD-1]}\n"
                              "    COMPREPLY=()\n"
                              "    case $prev in\n"});
    if (!values.empty()) {
        script += Cat({"        ", Joined(values, "|"), ") return ;;  # a number: nothing to offer\n"});
    }
    if (!fields.empty()) {
        script += Cat({"        ", Joined(fields, "|"),
                       ")\n"
                       "            compopt -o nospace 2>/dev/null\n"
                       "            COMPREPLY=($(compgen -W '",
                       Joined(FieldWords(), " "),
                       "' -- \"$cur\"))\n"
                       "            return ;;\n"});
    }
    script += Cat({"    esac\n"
                   "    if [[ $cur == -* ]]; then\n"
                   "        COMPREPLY=($(compgen -W '",
                   Joined(words, " "),
                   "' -- \"$cur\"))\n"
                   "        return\n"
                   "    fi\n"
                   "    # Folders, and the files a folder stands for: .wav in any case.\n"
                   "    compopt -o filenames 2>/dev/null\n"
                   "    local IFS=$'\\n'\n"
                   "    COMPREPLY=($(compgen -d -- \"$cur\") $(compgen -f -X '!*.[wW][aA][vV]' -- \"$cur\"))\n"
                   "    return 0\n"
                   "}\n"
                   "complete -F _kalimber kalimber\n"});
    return script;
}

std::string ZshCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>& page) {
    std::string script = Cat({"#compdef kalimber\n# zsh completion for kalimber, ", kMadeBy, "_arguments -s -S \\\n"});
    for (const OptionSpelling& o : options) {
        std::string text;
        for (const char c : OptionText(page, o)) {
            if (c == '[' || c == ']' || c == ':') {
                text += '\\';
            }
            text += c;
        }
        text = Cat({"[", Quoted(text, "'\\''"), "]"});
        std::string entry = o.Short != 0 ? Cat({"'(-", Letter(o), " ", o.Long, ")'{-", Letter(o), ",", o.Long, "}'", text})
                                        : Cat({"'", o.Long, text});
        if (o.Value != nullptr) {
            entry += Cat({":", o.Value, ":"});
            if (TakesFields(o)) {
                entry += Cat({"(", Joined(FieldWords(), " "), ")"});
            }
        }
        script += Cat({"  ", entry, "' \\\n"});
    }
    script += "  '*:recording or folder:_files -g \"*.(#i)wav(-.)\"'\n";
    return script;
}

std::string FishCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>& page) {
    std::string script = Cat({"# fish completion for kalimber, ", kMadeBy,
                              "complete -c kalimber -f\n"
                              "# Folders, and the files a folder stands for: .wav in any case.\n"
                              "complete -c kalimber -a '(__fish_complete_path (commandline -ct) | "
                              "string match -ri -- \"^[^\\t]*(?:/|\\.wav)(?:\\t.*)?\\$\")'\n"});
    for (const OptionSpelling& o : options) {
        script += "complete -c kalimber";
        if (o.Short != 0) {
            script += Cat({" -s ", Letter(o)});
        }
        script += Cat({" -l ", o.Long + 2});
        if (o.Value != nullptr) {
            script += " -x";
            if (TakesFields(o)) {
                script += Cat({" -a '", Joined(FieldWords(), " "), "'"});
            }
        }
        script += Cat({" -d '", Quoted(OptionText(page, o), "\\'"), "'\n"});
    }
    return script;
}

std::string PowerShellCompletion(const std::vector<OptionSpelling>& options, const std::vector<HelpBlock>& page) {
    std::string list;
    for (const OptionSpelling& o : options) {
        const std::string text = Quoted(OptionText(page, o), "''");
        if (o.Short != 0) {
            list += Cat({"        @('-", Letter(o), "', '", text, "'),\n"});
        }
        list += Cat({"        @('", o.Long, "', '", text, "'),\n"});
    }
    list.erase(list.size() - 2, 1);  // no comma after the last
    std::vector<std::string> fields;
    for (const std::string& name : TakingValues(options, true)) {
        fields.push_back(Cat({"'", name, "'"}));
    }
    std::vector<std::string> fieldWords;
    for (const std::string& word : FieldWords()) {
        fieldWords.push_back(Cat({"'", word, "'"}));
    }
    return Cat({"# PowerShell completion for kalimber, ", kMadeBy,
                "# Load it in a session with: . .\\kalimber.ps1 (or add that line to $PROFILE).\n"
                "Register-ArgumentCompleter -Native -CommandName 'kalimber', 'kalimber.exe' -ScriptBlock {\n"
                "    param($wordToComplete, $commandAst, $cursorPosition)\n"
                "    $options = @(\n",
                list,
                "    )\n"
                "    $takeFields = @(",
                Joined(fields, ", "),
                ")\n"
                "    $fields = @(",
                Joined(fieldWords, ", "),
                ")\n"
                "    $before = @($commandAst.CommandElements | Where-Object { $_.Extent.EndOffset -lt $cursorPosition })\n"
                "    if ($before.Count -gt 0 -and $takeFields -contains $before[-1].ToString()) {\n"
                "        $fields | Where-Object { $_ -like \"$wordToComplete*\" } | ForEach-Object {\n"
                "            [System.Management.Automation.CompletionResult]::new($_, $_, 'ParameterValue', $_)\n"
                "        }\n"
                "        return\n"
                "    }\n"
                "    if ($wordToComplete -like '-*') {\n"
                "        foreach ($o in $options) {\n"
                "            if ($o[0] -clike \"$wordToComplete*\") {\n"
                "                [System.Management.Automation.CompletionResult]::new($o[0], $o[0], 'ParameterName', $o[1])\n"
                "            }\n"
                "        }\n"
                "        return\n"
                "    }\n"
                "    # Folders, and the files a folder stands for: .wav in any case.\n"
                "    Get-ChildItem -Path \"$wordToComplete*\" -ErrorAction SilentlyContinue |\n"
                "        Where-Object { $_.PSIsContainer -or $_.Extension -ieq '.wav' } |\n"
                "        ForEach-Object {\n"
                "            $path = Resolve-Path -Relative -LiteralPath $_.FullName\n"
                "            [System.Management.Automation.CompletionResult]::new(\"'$($path -replace \"'\", \"''\")'\", "
                "$_.Name, 'ProviderItem', $_.FullName)\n"
                "        }\n"
                "}\n"});
}

}  // namespace kalimber::docs
