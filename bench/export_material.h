#pragma once
// What the export benchmarks feed the writers: a dense 16-track song as synth messages, a
// fractal picture as indices, and palettes that change like a song's colours.

#include <QRgb>
#include <QSize>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "export/audio_render.h"

namespace lumarel::bench {

// 16 tracks for `seconds` at 120 beats a minute (480 ticks a quarter, 50 samples a tick at
// 48 kHz): every track on its own channel and General MIDI program, notes from a sixteenth to
// a half note long on a slightly loose grid (so onsets fall on every place in a 64-frame
// block), velocities and a volume and pan per track, a pitch-bend sweep on one; channel 10
// drums. About 60 notes a second.
inline std::vector<SynthMessage> denseSong(int seconds)
{
    std::mt19937 random(2024);
    std::vector<SynthMessage> song;
    const double usPerTick = 500000.0 / 480;
    const std::int64_t endTick = std::int64_t(seconds * 1e6 / usPerTick);
    auto at = [&](std::int64_t tick) { return std::int64_t(std::llround(double(tick) * usPerTick)); };
    for (int track = 0; track < 16; ++track) {
        const auto channel = std::uint8_t(track);
        song.push_back({0, std::uint8_t(0xC0 | channel), std::uint8_t((track * 11 + 4) % 112), 0});
        song.push_back({0, std::uint8_t(0xB0 | channel), 7, std::uint8_t(80 + track * 2)});
        song.push_back({0, std::uint8_t(0xB0 | channel), 10, std::uint8_t(track * 8)});
        const std::int64_t step = std::int64_t(120) << (track % 3);  // sixteenths, eighths, quarters
        for (std::int64_t tick = std::int64_t(track) * 7; tick < endTick; tick += step) {
            const std::int64_t start = tick + std::int64_t(random() % 9) - 4;
            const std::int64_t length = std::int64_t(100 + random() % 380);
            const auto key = std::uint8_t(track == 9 ? 35 + random() % 12 : 36 + (track * 5 + random() % 24) % 60);
            const auto velocity = std::uint8_t(60 + random() % 50);
            song.push_back({at(std::max<std::int64_t>(0, start)), std::uint8_t(0x90 | channel), key, velocity});
            song.push_back({at(start + length), std::uint8_t(0x80 | channel), key, 0});
        }
    }
    for (std::int64_t tick = 0; tick < endTick; tick += 24) {  // a slow bend sweep on track 3
        const int value = 8192 + int(4000 * std::sin(double(tick) / 2000));
        song.push_back({at(tick), 0xE3, std::uint8_t(value & 0x7F), std::uint8_t(value >> 7)});
    }
    return song;
}

// The Mandelbrot set, coloured by smooth escape time folded into 255 bands (index 255 is the
// set itself): the whole set (smooth gradients around a detailed edge, like the program's
// sample picture) or a detailed corner of it, the seahorse valley (detail everywhere: the
// hardest case for a video encoder).
inline std::vector<std::uint8_t> fractal(QSize size, bool corner)
{
    std::vector<std::uint8_t> indices(std::size_t(size.width() * size.height()));
    const double centreR = corner ? -0.7453 : -0.6, centreI = corner ? 0.1127 : 0.0, width = corner ? 0.012 : 3.2;
    const double scale = width / size.width(), bandsPerEscape = corner ? 1.0 : 6.0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double cr = centreR + (x - size.width() / 2) * scale, ci = centreI + (y - size.height() / 2) * scale;
            double zr = 0, zi = 0;
            int n = 0;
            while (n < 1000 && zr * zr + zi * zi < 256) {
                const double t = zr * zr - zi * zi + cr;
                zi = 2 * zr * zi + ci;
                zr = t;
                ++n;
            }
            const double smooth = n + 1 - std::log2(std::log2(std::sqrt(zr * zr + zi * zi)));
            indices[std::size_t(y * size.width() + x)] =
                n >= 1000 ? 255 : std::uint8_t(int(std::max(0.0, smooth) * bandsPerEscape) % 255);
        }
    return indices;
}

// The picture's indices scaled to another size, nearest neighbour.
inline std::vector<std::uint8_t> stretched(const std::vector<std::uint8_t>& indices, QSize from, QSize to)
{
    std::vector<std::uint8_t> out(std::size_t(to.width() * to.height()));
    for (int y = 0; y < to.height(); ++y)
        for (int x = 0; x < to.width(); ++x)
            out[std::size_t(y * to.width() + x)] =
                indices[std::size_t((y * from.height() / to.height()) * from.width() + x * from.width() / to.width())];
    return out;
}

// Palette change k: a smooth map through five key colours, shifted along as a song moves.
inline std::array<QRgb, 256> songPalette(int k)
{
    static const int keys[6][3] = {{10, 10, 60}, {40, 120, 220}, {250, 250, 210}, {230, 120, 20}, {90, 0, 40}, {10, 10, 60}};
    std::array<QRgb, 256> palette{};
    for (int i = 0; i < 256; ++i) {
        const double t = double((i + k * 5) % 256) / 256.0 * 5.0;
        const int a = int(t);
        const double f = t - a;
        int rgb[3];
        for (int c = 0; c < 3; ++c)
            rgb[c] = int(std::lround(keys[a][c] * (1 - f) + keys[a + 1][c] * f));
        palette[std::size_t(i)] = qRgb(rgb[0], rgb[1], rgb[2]);
    }
    palette[255] = qRgb(0, 0, 0);  // the set itself
    return palette;
}

}  // namespace lumarel::bench
