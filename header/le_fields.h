// Little-endian integer fields stored as raw byte arrays.
// They have alignment 1 and read/write the same way on any host byte order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kalimber {

// The unsigned value of width little-endian bytes (at most 8): the one
// decoder every field of the layout is read through.
constexpr std::uint64_t LittleEndian(const std::uint8_t* bytes, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// An integer of N little-endian bytes, kept as the file's own bytes.
template <typename T, std::size_t N>
struct LeField {
    std::array<std::uint8_t, N> bytes;

    constexpr T Get() const {
        // Narrowing an unsigned value to a signed type of the same width is
        // modular (well defined since C++20), which gives two's-complement signs.
        return static_cast<T>(LittleEndian(bytes.data(), N));
    }

    constexpr void Set(T value) {
        auto raw = static_cast<std::uint64_t>(value);
        for (std::size_t i = 0; i < N; ++i) {
            bytes[i] = static_cast<std::uint8_t>(raw >> (8 * i));
        }
    }
};

using U8 = std::uint8_t;
using LeU16 = LeField<std::uint16_t, 2>;
using LeI16 = LeField<std::int16_t, 2>;
using LeU32 = LeField<std::uint32_t, 4>;
using LeI32 = LeField<std::int32_t, 4>;

// Four raw identifier bytes ("RIFF", "orva", ...), never read as a number.
using ChunkId = std::array<std::uint8_t, 4>;

static_assert(sizeof(LeU16) == 2 && alignof(LeU16) == 1);
static_assert(sizeof(LeI16) == 2 && alignof(LeI16) == 1);
static_assert(sizeof(LeU32) == 4 && alignof(LeU32) == 1);
static_assert(sizeof(LeI32) == 4 && alignof(LeI32) == 1);
static_assert(sizeof(ChunkId) == 4 && alignof(ChunkId) == 1);

}  // namespace kalimber
