// Cost of one palette-cycling step on the emulated palette display, against the naive way of
// recolouring an 8-bit picture (set an Indexed8 image's colour table and draw it scaled).
// Prints: palette_step display=WxH step_us=<median> naive_us=<median> speedup=<naive/step>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "animation/animate.h"
#include "platform/palette_display.h"

namespace {

using Clock = std::chrono::steady_clock;

lumarel::IndexedPicture makePicture(int width, int height)
{
    lumarel::IndexedPicture picture;
    picture.size = QSize(width, height);
    picture.indices.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.indices[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                std::uint8_t(int(std::hypot(x - width / 2, y - height / 2)) + (x ^ y) / 16);
    for (int i = 0; i < 256; ++i)
        picture.palette[std::size_t(i)] = qRgb(i, 255 - i, (i * 7) & 255);
    return picture;
}

template <typename Work>
double medianMicroseconds(int runs, Work&& work)
{
    std::vector<double> times;
    times.reserve(std::size_t(runs));
    work();  // warm up
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[std::size_t(runs / 2)];
}

}  // namespace

int main()
{
    const lumarel::IndexedPicture picture = makePicture(640, 480);
    lumarel::LogPalette palette;
    for (std::size_t i = 0; i < 256; ++i)
        palette.entries[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2), lumarel::kPcReserved};

    for (const QSize display : {QSize(1920, 1080), QSize(3840, 2160)}) {
        const int runs = display.width() > 2000 ? 41 : 101;

        // A step: the rotation, the push, and the frame the screen shows for it.
        QImage frame(display, QImage::Format_RGB32);
        lumarel::PaletteDisplay screen;
        screen.setDisplaySize(display);
        screen.setPicture(std::make_shared<const lumarel::IndexedPicture>(picture));
        screen.realize(palette.entries);
        const double step = medianMicroseconds(runs, [&] {
            lumarel::Animate::rotateTowardLower(palette);
            screen.animate(0, 255, palette.entries.data());
            screen.renderInto(frame.bits(), frame.bytesPerLine());
        });

        QImage indexed(picture.size, QImage::Format_Indexed8);
        for (int y = 0; y < picture.size.height(); ++y)
            std::copy_n(picture.indices.data() + std::size_t(y) * 640, 640, indexed.scanLine(y));
        QList<QRgb> table(256);
        QImage target(display, QImage::Format_RGB32);
        const double naive = medianMicroseconds(runs, [&] {
            lumarel::Animate::rotateTowardLower(palette);
            for (int i = 0; i < 256; ++i)
                table[i] = qRgb(palette.entries[std::size_t(i)].red, palette.entries[std::size_t(i)].green,
                                palette.entries[std::size_t(i)].blue);
            indexed.setColorTable(table);
            QPainter painter(&target);
            painter.drawImage(QRect(QPoint(0, 0), display), indexed);
        });

        std::printf("palette_step display=%dx%d step_us=%.0f naive_us=%.0f speedup=%.1f\n", display.width(),
                    display.height(), step, naive, naive / step);
    }
    return 0;
}
