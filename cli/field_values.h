// Fields named and valued on the command line: FIELD of --set and --where,
// the bytes a value stands for, and a field's value as a line shows it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/recording.h"
#include "header/fields.h"

namespace kalimber {

// A field as --where names it: a row of the table, or the check (Row null).
struct FieldChoice {
    const FieldRow* Row = nullptr;
    bool Found = false;
};

// The name a field goes by in lines, JSON keys and FIELD: its label, with
// its chunk before it (RIFF.CnkSize) where the label names more than one
// field; AUXI's Unused4 and Unused5 go by their labels alone.
std::string FieldName(const FieldRow& row);

// The field a FIELD names, in any case: a FieldName, CHUNK.Label, or Check.
FieldChoice FindField(std::string_view name);

// The fields --set writes: AUXI's, from StartTime to NextFileName.
bool Settable(const FieldRow& row);

// The value of --set FIELD=VALUE as the bytes the field stores (the width
// of the row; a text padded with NULs), or the reason it is no such value.
// The frequencies take the HZ forms, the other numbers 0 to 4294967295,
// the times TIME, NextFileName any text of at most 96 bytes.
std::string ReadSetting(const FieldRow& row, std::string_view text, std::array<std::uint8_t, 96>& bytes);

// The value of --where FIELD=VALUE as FieldText gives it for a file that
// matches, or empty with the reason set.
std::string ReadWanted(const FieldChoice& field, std::string_view text, std::string& reason);

// A field's value as lines show it: a number in decimal, a time as in CSV,
// a text or identifier as it is; "none" where the file holds no such chunk.
// With the check (Row null), its name.
std::string FieldText(const Recording& recording, const FieldRow* row);

// The same of a header image alone.
std::string HeaderFieldText(const RecordingHeader& header, const FieldRow& row);

}  // namespace kalimber
