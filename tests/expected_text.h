// Fixed texts of the tool's output, written out by hand for the tests and
// fuzz targets to compare against, and a suffix check.
#pragma once

#include <string>

namespace kalimber::test {

inline const std::string kRule = "*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*\n";
inline const std::string kBanner = kRule + "ORVA Kalimber Ver: 1.0\n" + kRule + "\n";
inline const std::string kCmdListBanner =
    "\n" + kRule + "*-*-*-*-*-*-*-*-*   CMD  LIST   *-*-*-*-*-*-*-*-*\n" + kRule + "\n";
inline const std::string kNewHeaderBanner =
    "\n" + kRule + "*-*-*-*-*-*-*-*-*  NEW  HEADER  *-*-*-*-*-*-*-*-*\n" + kRule + "\n";

inline const std::string kNotWritten = "Cmd Not Written: no AUXI chunk in this file\n";

inline bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace kalimber::test
