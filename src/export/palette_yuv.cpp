#include "export/palette_yuv.h"

#include <cmath>

namespace lumarel {

namespace {

constexpr double kr = 0.2126;  // BT.709 luma weights
constexpr double kb = 0.0722;
constexpr double kg = 1.0 - kr - kb;

struct Yuv {
    double y, cb, cr;  // video range, not rounded
};

Yuv yuvOf(QRgb colour)
{
    const double r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
    const double luma = kr * r + kg * g + kb * b;  // 0..255
    return {16.0 + 219.0 / 255.0 * luma, 128.0 + 112.0 / 255.0 * (b - luma) / (1.0 - kb),
            128.0 + 112.0 / 255.0 * (r - luma) / (1.0 - kr)};
}

}  // namespace

std::array<std::uint8_t, 3> PaletteYuv::toYuv(QRgb colour)
{
    const Yuv c = yuvOf(colour);
    return {std::uint8_t(std::lround(c.y)), std::uint8_t(std::lround(c.cb)), std::uint8_t(std::lround(c.cr))};
}

void PaletteYuv::setPalette(const std::array<QRgb, 256>& palette)
{
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const Yuv c = yuvOf(palette[i]);
        luma_[i] = std::uint8_t(std::lround(c.y));
        const auto cb = std::uint32_t(std::lround(c.cb * 64.0));
        const auto cr = std::uint32_t(std::lround(c.cr * 64.0));
        chroma_[i] = cb | (cr << 16);
    }
}

void PaletteYuv::fill(const std::uint8_t* indices, std::ptrdiff_t stride, int width, int height, std::uint8_t* y,
                      std::ptrdiff_t yStride, std::uint8_t* u, std::ptrdiff_t uStride, std::uint8_t* v,
                      std::ptrdiff_t vStride) const
{
    const std::uint8_t* const luma = luma_.data();
    const std::uint32_t* const chroma = chroma_.data();
    for (int row = 0; row < height; row += 2) {
        const std::uint8_t* top = indices + row * stride;
        const std::uint8_t* bottom = top + stride;
        std::uint8_t* yTop = y + row * yStride;
        std::uint8_t* yBottom = yTop + yStride;
        std::uint8_t* uRow = u + (row / 2) * uStride;
        std::uint8_t* vRow = v + (row / 2) * vStride;
        for (int x = 0; x < width; x += 2) {
            const std::uint8_t a = top[x], b = top[x + 1], c = bottom[x], d = bottom[x + 1];
            yTop[x] = luma[a];
            yTop[x + 1] = luma[b];
            yBottom[x] = luma[c];
            yBottom[x + 1] = luma[d];
            // Four samples of value*64 sum to value*256: add half of 256 and shift to round.
            const std::uint32_t sum = chroma[a] + chroma[b] + chroma[c] + chroma[d];
            uRow[x / 2] = std::uint8_t(((sum & 0xFFFF) + 128) >> 8);
            vRow[x / 2] = std::uint8_t(((sum >> 16) + 128) >> 8);
        }
    }
}

}  // namespace lumarel
