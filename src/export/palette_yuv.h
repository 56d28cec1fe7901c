#pragma once
// 8-bit indices plus a 256-colour palette to the YUV 4:2:0 planes video encoders take, through
// tables made once per palette (never through a 32-bit picture). Colours follow BT.709 with
// the video range (luma 16..235, chroma 16..240); each chroma sample is the mean of the 2x2
// pixels it covers (centre siting).

#include <QRgb>
#include <array>
#include <cstddef>
#include <cstdint>

namespace lumarel {

class PaletteYuv {
public:
    // Makes the tables for this palette.
    void setPalette(const std::array<QRgb, 256>& palette);

    // Fills the planes of a width x height picture (both even) from its indices (row stride
    // in bytes). The chroma planes are width/2 x height/2.
    void fill(const std::uint8_t* indices, std::ptrdiff_t stride, int width, int height, std::uint8_t* y,
              std::ptrdiff_t yStride, std::uint8_t* u, std::ptrdiff_t uStride, std::uint8_t* v,
              std::ptrdiff_t vStride) const;

    // The YUV of one colour, rounded; what a flat area of that colour encodes to.
    static std::array<std::uint8_t, 3> toYuv(QRgb colour);

private:
    std::array<std::uint8_t, 256> luma_{};
    // Cb and Cr times 64 (fixed point), Cb in the low and Cr in the high 16 bits, so one add
    // of four entries sums both (at most 4 * 240 * 64 = 61440 per half, no carry).
    std::array<std::uint32_t, 256> chroma_{};
};

}  // namespace lumarel
