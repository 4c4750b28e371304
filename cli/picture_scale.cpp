// The session picture's scales: whole-number steps for the ticks of each axis,
// and where a value lies on a scale, with no overflow for any span.
#include <algorithm>
#include <cstdint>

#include "cli/session_picture.h"
#include "cli/svg_pieces.h"

namespace kalimber {


std::int64_t FrequencyStep(std::int64_t span, int maxTicks) {
    std::int64_t power = 1;
    for (;;) {
        for (const std::int64_t factor : {1, 2, 5}) {
            if (span / (factor * power) < maxTicks) {
                return factor * power;
            }
        }
        power *= 10;
    }
}

std::int64_t TimeStep(std::int64_t spanMs, int maxTicks) {
    constexpr std::int64_t kSteps[] = {1,       2,        5,         10,        20,        50,        100,
                                       200,     500,      1000,      2000,      5000,      10000,     15000,
                                       30000,   60000,    120000,    300000,    600000,    900000,    1800000,
                                       3600000, 7200000,  10800000,  21600000,  43200000,  kDayMs,    2 * kDayMs,
                                       7 * kDayMs, 14 * kDayMs, 30 * kDayMs};
    for (const std::int64_t step : kSteps) {
        if (spanMs / step < maxTicks) {
            return step;
        }
    }
    // Past 30 days a tick: whole days, as many as it takes.
    return (spanMs / (maxTicks - 1) / kDayMs + 1) * kDayMs;
}

std::int64_t Scale(std::int64_t value, std::int64_t low, std::int64_t high, std::int64_t size) {
    if (high <= low || value <= low) {
        return 0;
    }
    // Differences as unsigned numbers, which cannot overflow; both halved
    // alike until their product with size fits.
    std::uint64_t span = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
    std::uint64_t offset = std::min(static_cast<std::uint64_t>(value) - static_cast<std::uint64_t>(low), span);
    while (span > (std::uint64_t{1} << 40)) {
        span >>= 1;
        offset >>= 1;
    }
    return static_cast<std::int64_t>(offset * static_cast<std::uint64_t>(size) / span);
}

}  // namespace kalimber
