#pragma once

#include <cstdint>

namespace digitrace {

// A colour as red, green and blue components, 0-255 each.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend constexpr bool operator==(Rgb, Rgb) = default;
};

// The drawing area's background while connected and after Back, and after a disconnect.
inline constexpr Rgb kConnectedBackground{95, 63, 63};
inline constexpr Rgb kDisconnectedBackground{31, 95, 63};

} // namespace digitrace
