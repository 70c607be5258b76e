#pragma once

#include <QString>

#include <cstdint>

namespace tandor28 {

// A 24-bit colour. The core speaks in these so that it never needs QtGui.
struct Rgb
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend constexpr bool operator==(Rgb, Rgb) = default;

    // "RRGGBB", upper-case hexadecimal.
    [[nodiscard]] QString toHex() const;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kHeaderGrey{128, 128, 128};
inline constexpr Rgb kHitRed{255, 0, 0};
inline constexpr Rgb kMissGreen{0, 128, 0};
inline constexpr Rgb kSpecialBlue{0, 0, 255};
inline constexpr Rgb kSelectedButton{158, 201, 251};
inline constexpr Rgb kUnselectedButton{236, 236, 236};
inline constexpr Rgb kDarkButton{64, 64, 64}; // the face of a button with a white caption

} // namespace tandor28
