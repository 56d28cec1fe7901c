#include "export/gif_writer.h"

#include "export/atomic_output.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gif_lib.h>
#include <vector>

namespace lumarel {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

int writeToFile(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* file = static_cast<QFile*>(gif->UserData);
    return int(file->write(reinterpret_cast<const char*>(bytes), length));
}

// The index of the colour with the least luma (the first of equals).
std::uint8_t darkestIndex(const std::array<QRgb, 256>& palette)
{
    std::size_t darkest = 0;
    int least = 256 * 1000;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int luma = 299 * qRed(palette[i]) + 587 * qGreen(palette[i]) + 114 * qBlue(palette[i]);
        if (luma < least) {
            least = luma;
            darkest = i;
        }
    }
    return std::uint8_t(darkest);
}

}  // namespace

struct GifWriter::Impl {
    ~Impl()
    {
        int ignored = 0;
        if (gif)
            EGifCloseFile(gif, &ignored);
        file.close();
    }  // then output goes, removing the temporary unless it was committed

    bool fail(int gifError, QString* error);
    bool putLoop();
    bool putRows(const std::uint8_t* indices, qsizetype stride, std::uint8_t bar, bool wholeCanvas);

    std::unique_ptr<AtomicOutput> output;
    QFile file;
    GifFileType* gif = nullptr;
    QSize canvas;
    QRect picture;
    int frames = 0;
    QString failure;  // set once something failed; every later call reports it
};

bool GifWriter::Impl::fail(int gifError, QString* error)
{
    // A failed write says more (a full disk) than giflib's code for it.
    const QString reason = file.error() != QFileDevice::NoError ? file.errorString()
                                                                : QString::fromUtf8(GifErrorString(gifError));
    failure = QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(output->destination()), reason);
    setError(error, failure);
    return false;
}

bool GifWriter::Impl::putLoop()
{
    // The NETSCAPE2.0 application extension: sub-block 1, loop count 0 = for ever.
    static const GifByteType name[] = "NETSCAPE2.0";
    GifByteType loop[3] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, name) == GIF_OK && EGifPutExtensionBlock(gif, 3, loop) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool GifWriter::Impl::putRows(const std::uint8_t* indices, qsizetype stride, std::uint8_t bar, bool wholeCanvas)
{
    if (!wholeCanvas) {
        for (int y = 0; y < picture.height(); ++y)
            if (EGifPutLine(gif, const_cast<GifPixelType*>(indices + y * stride), picture.width()) != GIF_OK)
                return false;
        return true;
    }
    std::vector<GifPixelType> row(std::size_t(canvas.width()));
    for (int y = 0; y < canvas.height(); ++y) {
        std::fill(row.begin(), row.end(), bar);
        if (y >= picture.top() && y <= picture.bottom())
            std::copy_n(indices + (y - picture.top()) * stride, picture.width(), row.begin() + picture.left());
        if (EGifPutLine(gif, row.data(), canvas.width()) != GIF_OK)
            return false;
    }
    return true;
}

GifWriter::GifWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GifWriter::~GifWriter() = default;

std::unique_ptr<GifWriter> GifWriter::create(const QString& path, QSize canvas, QRect picture, QString* error)
{
    if (canvas.width() < 1 || canvas.height() < 1 || canvas.width() > 65535 || canvas.height() > 65535 ||
        picture.isEmpty() || !QRect(QPoint(0, 0), canvas).contains(picture)) {
        setError(error, QStringLiteral("Cannot make the GIF %1: the picture must lie inside a canvas of 1..65535 "
                                       "pixels a side.")
                            .arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->canvas = canvas;
    impl->picture = picture;
    impl->output = AtomicOutput::create(path, error);
    if (!impl->output)
        return nullptr;
    impl->file.setFileName(impl->output->temporaryPath());
    if (!impl->file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        setError(error, QStringLiteral("Could not write %1: %2")
                            .arg(QDir::toNativeSeparators(impl->output->destination()), impl->file.errorString()));
        return nullptr;
    }
    int gifError = 0;
    impl->gif = EGifOpen(&impl->file, writeToFile, &gifError);
    if (!impl->gif) {
        impl->fail(gifError, error);
        return nullptr;
    }
    EGifSetGifVersion(impl->gif, true);  // GIF89a: delays and the loop
    if (EGifPutScreenDesc(impl->gif, canvas.width(), canvas.height(), 8, 0, nullptr) != GIF_OK || !impl->putLoop()) {
        impl->fail(impl->gif->Error, error);
        return nullptr;
    }
    return std::unique_ptr<GifWriter>(new GifWriter(std::move(impl)));
}

bool GifWriter::addFrame(const std::uint8_t* indices, qsizetype stride, const std::array<QRgb, 256>& palette,
                         int delayCentiseconds, QString* error)
{
    Impl& d = *impl_;
    if (!d.failure.isEmpty() || !d.gif) {
        setError(error, d.gif ? d.failure : QStringLiteral("The GIF is already finished."));
        return false;
    }
    if (!indices || stride < d.picture.width()) {
        setError(error, QStringLiteral("A frame of the GIF %1 has no pixels.").arg(QDir::toNativeSeparators(d.output->destination())));
        return false;
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;  // leave in place: the bars of the first frame stay
    control.DelayTime = std::clamp(delayCentiseconds, 0, 65535);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t extensionSize = EGifGCBToExtension(&control, extension);

    GifColorType colours[256];
    for (std::size_t i = 0; i < palette.size(); ++i)
        colours[i] = {GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])), GifByteType(qBlue(palette[i]))};
    ColorMapObject* map = GifMakeMapObject(256, colours);  // EGifPutImageDesc keeps a copy
    const bool whole = d.frames == 0;
    const QRect area = whole ? QRect(QPoint(0, 0), d.canvas) : d.picture;
    const bool written =
        map && EGifPutExtension(d.gif, GRAPHICS_EXT_FUNC_CODE, int(extensionSize), extension) == GIF_OK &&
        EGifPutImageDesc(d.gif, area.left(), area.top(), area.width(), area.height(), false, map) == GIF_OK &&
        d.putRows(indices, stride, darkestIndex(palette), whole);
    GifFreeMapObject(map);
    if (!written)
        return d.fail(d.gif->Error, error);
    ++d.frames;
    return true;
}

bool GifWriter::finish(QString* error)
{
    Impl& d = *impl_;
    if (!d.failure.isEmpty() || !d.gif) {
        setError(error, d.gif ? d.failure : QStringLiteral("The GIF is already finished."));
        return false;
    }
    if (d.frames == 0) {
        d.failure = QStringLiteral("The GIF %1 has no frames.").arg(QDir::toNativeSeparators(d.output->destination()));
        setError(error, d.failure);
        return false;
    }
    int gifError = 0;
    const int closed = EGifCloseFile(d.gif, &gifError);  // writes the trailer and frees the writer
    d.gif = nullptr;
    if (closed != GIF_OK || !d.file.flush())
        return d.fail(gifError, error);
    d.file.close();
    if (d.file.error() != QFileDevice::NoError)
        return d.fail(0, error);
    return d.output->commit(error);
}

}  // namespace lumarel
