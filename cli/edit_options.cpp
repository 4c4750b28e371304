// Reads --set and --where: the field a FIELD names in the table, its VALUE
// in that field's form, each slip told in the tool's words.
#include "cli/edit_options.h"

#include "cli/field_values.h"

namespace kalimber {
namespace {

// The fields --set takes, for its usage errors.
std::string SettableFields() {
    std::string list;
    for (const FieldRow& row : FieldTable) {
        if (Settable(row)) {
            list += list.empty() ? "" : ", ";
            list += FieldName(row);
        }
    }
    return list;
}

// Splits FIELD=VALUE; false where there is no =.
bool SplitAssignment(const std::string& text, std::string& field, std::string& value) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    field = text.substr(0, equals);
    value = text.substr(equals + 1);
    return true;
}

}  // namespace

int ReadSettings(const std::vector<std::string>& sets, const std::string* centerFreq, const std::string* bandwidth,
                 std::vector<FieldSetting>& settings) {
    struct Given {
        const FieldRow* Row;
        std::string Value;
        std::string Option;
    };
    std::vector<Given> given;
    if (centerFreq != nullptr) {
        given.push_back({&field::CenterFreq, *centerFreq, "--cf"});
    }
    if (bandwidth != nullptr) {
        given.push_back({&field::Bandwidth, *bandwidth, "--bw"});
    }
    for (const std::string& set : sets) {
        std::string name;
        std::string value;
        if (!SplitAssignment(set, name, value)) {
            return TellUsageError("--set: '" + set + "' is not FIELD=VALUE");
        }
        const FieldChoice field = FindField(name);
        if (!field.Found || field.Row == nullptr || !Settable(*field.Row)) {
            return TellUsageError("--set: '" + name + "' cannot be set; the fields that can: " + SettableFields());
        }
        given.push_back({field.Row, value, "--set"});
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
        const FieldRow* row = given[i].Row;
        for (std::size_t k = 0; k < i; ++k) {
            if (given[k].Row == row) {
                return TellUsageError(FieldName(*row) + " is set twice");
            }
        }
        FieldSetting setting;
        setting.Row = row;
        if (const std::string reason = ReadSetting(*row, given[i].Value, setting.Bytes); !reason.empty()) {
            // "CenterFreq: '7O50' is not ...": --cf and --bw name themselves in place of the field.
            const std::string name = FieldName(*row);
            return TellUsageError(given[i].Option == "--set" ? "--set " + reason
                                                         : given[i].Option + reason.substr(name.size()));
        }
        settings.push_back(setting);
    }
    return -1;
}

int ReadWheres(const std::vector<std::string>& wheres, std::vector<FieldWanted>& wanted) {
    for (const std::string& where : wheres) {
        std::string name;
        std::string value;
        if (!SplitAssignment(where, name, value)) {
            return TellUsageError("--where: '" + where + "' is not FIELD=VALUE");
        }
        const FieldChoice field = FindField(name);
        if (!field.Found) {
            return TellUsageError("--where: '" + name + "' is no field of the report (a label such as CenterFreq, "
                              "CHUNK.Label such as RIFF.CnkSize, or Check)");
        }
        std::string reason;
        FieldWanted one{field.Row, ReadWanted(field, value, reason)};
        if (!reason.empty()) {
            return TellUsageError("--where " + reason);
        }
        wanted.push_back(std::move(one));
    }
    return -1;
}

}  // namespace kalimber
