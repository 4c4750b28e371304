// The values of the options that take numbers: frequencies in hertz with their
// suffixes, and the largest gap in milliseconds; whole numbers only, no overflow.
#include <cstdint>
#include <string_view>

#include "cli/options.h"

namespace kalimber {
namespace {

// Digits from text at i, as they are; i is left after them.
std::string_view Digits(std::string_view text, std::size_t& i) {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
    }
    return text.substr(start, i - start);
}

}  // namespace

HertzReading ReadHertz(std::string_view text, std::uint32_t& hertz) {
    constexpr std::uint64_t kMax = 4294967295;
    std::size_t i = 0;
    const std::string_view whole = Digits(text, i);
    if (whole.empty()) {
        return HertzReading::NotAFrequency;
    }
    std::string_view fraction;
    const bool point = i < text.size() && text[i] == '.';
    if (point) {
        ++i;
        fraction = Digits(text, i);
        if (fraction.empty()) {
            return HertzReading::NotAFrequency;
        }
    }
    std::size_t exponent = 0;
    if (i < text.size()) {
        switch (text[i]) {
            case 'k':
            case 'K': exponent = 3; ++i; break;
            case 'M': exponent = 6; ++i; break;
            case 'G': exponent = 9; ++i; break;
            default: break;  // a lower-case m (milli) or g is no suffix
        }
    }
    if (text.size() - i == 2 && (text[i] == 'H' || text[i] == 'h') && (text[i + 1] == 'Z' || text[i + 1] == 'z')) {
        i += 2;
    }
    if (i != text.size()) {
        return HertzReading::NotAFrequency;  // something after the number
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.remove_suffix(1);
    }
    if (fraction.size() > exponent) {
        return HertzReading::OutOfRange;  // not a whole number of hertz
    }
    std::uint64_t value = 0;
    for (const char c : whole) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > kMax) {
            return HertzReading::OutOfRange;
        }
    }
    std::uint64_t part = 0;  // at most nine digits
    for (std::size_t k = 0; k < exponent; ++k) {
        value *= 10;
        part = part * 10 + (k < fraction.size() ? static_cast<std::uint64_t>(fraction[k] - '0') : 0);
        if (value > kMax) {
            return HertzReading::OutOfRange;
        }
    }
    value += part;
    if (value > kMax) {
        return HertzReading::OutOfRange;
    }
    hertz = static_cast<std::uint32_t>(value);
    return HertzReading::Value;
}

bool ParseMaxGap(std::string_view text, std::int64_t& milliseconds) {
    std::size_t i = 0;
    const std::string_view digits = Digits(text, i);
    if (digits.empty() || i != text.size()) {
        return false;
    }
    std::int64_t value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > MaxGapLimitMs) {
            return false;
        }
    }
    milliseconds = value;
    return true;
}

}  // namespace kalimber
