#include "platform/quantizer.h"

#include <libimagequant.h>

#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

namespace lumarel {

namespace {

static_assert(sizeof(liq_color) == 4, "liq_color must be four bytes, red, green, blue, alpha");

// Every distinct colour gets its own index, in order of first appearance; false when there are
// more than 256 (the indices written so far are then to be overwritten).
bool mapExactly(QSize size, const RgbaRowSource& rows, IndexedPicture& out)
{
    const int width = size.width();
    std::vector<std::uint8_t> line(std::size_t(width) * 4);
    std::unordered_map<QRgb, std::uint8_t> seen;
    QRgb last = 0xffffffffu;  // no colour: keys have alpha 0
    std::uint8_t lastIndex = 0;
    for (int y = 0; y < size.height(); ++y) {
        rows(y, line.data());
        std::uint8_t* row = out.indices.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = line.data() + std::size_t(x) * 4;
            const QRgb colour = QRgb(p[0]) << 16 | QRgb(p[1]) << 8 | QRgb(p[2]);
            if (colour != last) {
                auto found = seen.find(colour);
                if (found == seen.end()) {
                    if (seen.size() == 256)
                        return false;
                    found = seen.emplace(colour, std::uint8_t(seen.size())).first;
                    out.palette[found->second] = colour | 0xff000000u;
                }
                last = colour;
                lastIndex = found->second;
            }
            row[x] = lastIndex;
        }
    }
    return true;
}

struct LiqAttrDeleter {
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
};
struct LiqImageDeleter {
    void operator()(liq_image* image) const { liq_image_destroy(image); }
};
struct LiqResultDeleter {
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};

void liqRow(liq_color rowOut[], int row, int /*width*/, void* source)
{
    (*static_cast<const RgbaRowSource*>(source))(row, reinterpret_cast<std::uint8_t*>(rowOut));
}

// 256 colours chosen by libimagequant, each pixel mapped to the nearest without dithering.
bool quantizeWithLiq(QSize size, const RgbaRowSource& rows, IndexedPicture& out)
{
    std::unique_ptr<liq_attr, LiqAttrDeleter> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), 256) != LIQ_OK)
        return false;
    std::unique_ptr<liq_image, LiqImageDeleter> image(
        liq_image_create_custom(attr.get(), liqRow, const_cast<RgbaRowSource*>(&rows), size.width(), size.height(), 0));
    if (!image)
        return false;
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK || !raw)
        return false;
    std::unique_ptr<liq_result, LiqResultDeleter> result(raw);
    liq_set_dithering_level(result.get(), 0.0f);
    if (liq_write_remapped_image(result.get(), image.get(), out.indices.data(), out.indices.size()) != LIQ_OK)
        return false;
    // Read after remapping, which refines the palette.
    const liq_palette* palette = liq_get_palette(result.get());
    out.palette.fill(qRgb(0, 0, 0));
    for (unsigned i = 0; i < std::min(palette->count, 256u); ++i)
        out.palette[i] = qRgb(palette->entries[i].r, palette->entries[i].g, palette->entries[i].b);
    return true;
}

}  // namespace

std::optional<IndexedPicture> quantizeRows(QSize size, const RgbaRowSource& rows)
{
    IndexedPicture out;
    if (size.isEmpty())
        return out;
    try {
        out.size = size;
        out.indices.assign(std::size_t(size.width()) * std::size_t(size.height()), 0);
        out.palette.fill(qRgb(0, 0, 0));
        if (mapExactly(size, rows, out))
            return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!quantizeWithLiq(size, rows, out))
        return std::nullopt;
    return out;
}

IndexedPicture quantize(const QImage& image)
{
    if (image.isNull())
        return {};
    const RgbaRowSource rows = [&image](int y, std::uint8_t* rgba) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, rgba += 4) {
            rgba[0] = std::uint8_t(qRed(line[x]));
            rgba[1] = std::uint8_t(qGreen(line[x]));
            rgba[2] = std::uint8_t(qBlue(line[x]));
            rgba[3] = 255;
        }
    };
    return quantizeRows(image.size(), rows).value_or(IndexedPicture{});
}

}  // namespace lumarel
