// The values of --set and --where as the command line gives them: FIELD
// found in the table, VALUE read in its field's form, or the usage error.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace kalimber {

// --set, --cf and --bw (each null where not given) into the settings; -1,
// or the status of the usage error told.
int ReadSettings(const std::vector<std::string>& sets, const std::string* centerFreq, const std::string* bandwidth,
                 std::vector<FieldSetting>& settings);

// --where into the fields wanted; -1, or the status of the usage error told.
int ReadWheres(const std::vector<std::string>& wheres, std::vector<FieldWanted>& wanted);

}  // namespace kalimber
