// The command argument parser: strtoul with base 0, in exactly 32 bits, so the
// result does not depend on how wide the platform's unsigned long is.
#include <cstdint>

#include "run/command_list.h"

namespace kalimber {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of c as a digit, or 36 where it is none.
unsigned DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned>(c - 'a') + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned>(c - 'A') + 10;
    }
    return 36;
}

}  // namespace

std::uint32_t ParseArgument(const char* text) {
    constexpr std::uint64_t kMax = 0xFFFFFFFFu;
    const char* p = text;
    while (IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    unsigned base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2]) < 16) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    std::uint64_t value = 0;
    bool overflow = false;
    bool any = false;
    for (unsigned digit = DigitValue(*p); digit < base; digit = DigitValue(*++p)) {
        any = true;
        value = value * base + digit;
        if (value > kMax) {
            overflow = true;
            value = kMax;  // keeps the accumulator from growing further
        }
    }
    if (!any) {
        return 0;
    }
    if (overflow) {
        return static_cast<std::uint32_t>(kMax);  // a sign does not change an overflow
    }
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

}  // namespace kalimber
