#pragma once
// An animated GIF of an indexed picture whose palette changes: one frame per change, each with
// a local colour table of 256 entries over the same indices, looping forever. The file appears
// only when finish() succeeds.

#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

namespace lumarel {

class GifWriter {
public:
    // canvas: the size of the GIF; picture: where the picture's indices go inside it. Where the
    // aspects differ, the first frame fills the rest of the canvas (the bars) with the darkest
    // colour of its table; later frames cover only the picture and leave the bars in place.
    // nullptr with *error for a bad geometry or a folder that does not exist or cannot be written.
    static std::unique_ptr<GifWriter> create(const QString& path, QSize canvas, QRect picture, QString* error);

    // Destroying a writer before finish() leaves no file behind.
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // The next frame: picture.width() x picture.height() indices (rows stride bytes apart)
    // showing palette for delayCentiseconds (clamped to 0..65535).
    bool addFrame(const std::uint8_t* indices, qsizetype stride, const std::array<QRgb, 256>& palette,
                  int delayCentiseconds, QString* error);

    // Writes the end of the file and puts it in place.
    bool finish(QString* error);

private:
    struct Impl;
    explicit GifWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace lumarel
