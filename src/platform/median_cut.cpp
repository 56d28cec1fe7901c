#include "platform/quantizer.h"

// The former quantiser, kept beside the new one only to measure both on the same pictures.

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace lumarel {

namespace {

constexpr QRgb kRgbMask = 0x00ffffffu;

// Every distinct colour gets its own index; false when there are more than 256.
bool mapExactly(const QImage& image, IndexedPicture& out)
{
    std::unordered_map<QRgb, std::uint8_t> seen;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* row = out.indices.data() + std::size_t(y) * std::size_t(image.width());
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = line[x] & kRgbMask;
            auto found = seen.find(colour);
            if (found == seen.end()) {
                if (seen.size() == 256)
                    return false;
                found = seen.emplace(colour, std::uint8_t(seen.size())).first;
                out.palette[found->second] = colour | 0xff000000u;
            }
            row[x] = found->second;
        }
    }
    return true;
}

// A cell of the 5-bits-per-channel colour cube with the pixels that fell in it.
struct Cell {
    int key = 0;  // r5 << 10 | g5 << 5 | b5
    std::uint64_t count = 0;
    std::uint64_t sum[3] = {0, 0, 0};
    int mean(int channel) const { return int(sum[channel] / count); }
};

struct Box {
    std::vector<Cell>::iterator begin, end;
    std::uint64_t pixels = 0;
    int longest = 0;  // channel with the widest spread
    int spread = 0;   // its spread, 0..255
};

Box makeBox(std::vector<Cell>::iterator begin, std::vector<Cell>::iterator end)
{
    Box box{begin, end};
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (auto it = begin; it != end; ++it) {
        box.pixels += it->count;
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], it->mean(c));
            hi[c] = std::max(hi[c], it->mean(c));
        }
    }
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.spread) {
            box.spread = hi[c] - lo[c];
            box.longest = c;
        }
    }
    return box;
}

void medianCut(const QImage& image, IndexedPicture& out)
{
    std::vector<Cell> cube(32768);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            Cell& cell = cube[std::size_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3))];
            ++cell.count;
            cell.sum[0] += std::uint64_t(r);
            cell.sum[1] += std::uint64_t(g);
            cell.sum[2] += std::uint64_t(b);
        }
    }
    std::vector<Cell> cells;
    for (int key = 0; key < 32768; ++key) {
        if (cube[std::size_t(key)].count) {
            cells.push_back(cube[std::size_t(key)]);
            cells.back().key = key;
        }
    }

    // Split the box whose pixels spread widest (spread weighted by pixel count) at its median.
    std::vector<Box> boxes{makeBox(cells.begin(), cells.end())};
    while (boxes.size() < 256) {
        auto widest = boxes.end();
        double best = 0;
        for (auto it = boxes.begin(); it != boxes.end(); ++it) {
            const double score = double(it->spread) * double(it->pixels);
            if (it->end - it->begin > 1 && score > best) {
                best = score;
                widest = it;
            }
        }
        if (widest == boxes.end())
            break;
        const Box box = *widest;
        const int channel = box.longest;
        std::sort(box.begin, box.end, [channel](const Cell& a, const Cell& b) { return a.mean(channel) < b.mean(channel); });
        std::uint64_t half = 0;
        auto cut = box.begin;
        while (cut + 1 != box.end && half + cut->count <= box.pixels / 2)
            half += (cut++)->count;
        if (cut == box.begin)
            ++cut;
        *widest = makeBox(box.begin, cut);
        boxes.push_back(makeBox(cut, box.end));
    }

    std::vector<std::uint8_t> cellIndex(32768, 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        std::uint64_t sum[3] = {0, 0, 0};
        for (auto it = boxes[i].begin; it != boxes[i].end; ++it)
            for (int c = 0; c < 3; ++c)
                sum[c] += it->sum[c];
        const std::uint64_t n = std::max<std::uint64_t>(boxes[i].pixels, 1);
        out.palette[i] = qRgb(int(sum[0] / n), int(sum[1] / n), int(sum[2] / n));
    }
    // Each cell takes the palette colour nearest to its own mean (not just its box's colour).
    for (const Cell& cell : cells) {
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const int dr = qRed(out.palette[i]) - cell.mean(0);
            const int dg = qGreen(out.palette[i]) - cell.mean(1);
            const int db = qBlue(out.palette[i]) - cell.mean(2);
            const int distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = int(i);
            }
        }
        cellIndex[std::size_t(cell.key)] = std::uint8_t(best);
    }
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* row = out.indices.data() + std::size_t(y) * std::size_t(image.width());
        for (int x = 0; x < image.width(); ++x)
            row[x] = cellIndex[std::size_t((qRed(line[x]) >> 3) << 10 | (qGreen(line[x]) >> 3) << 5 | (qBlue(line[x]) >> 3))];
    }
}

}  // namespace

IndexedPicture quantizeByMedianCut(const QImage& image)
{
    IndexedPicture out;
    if (image.isNull())
        return out;
    out.size = image.size();
    out.indices.assign(std::size_t(image.width()) * std::size_t(image.height()), 0);
    out.palette.fill(qRgb(0, 0, 0));
    if (!mapExactly(image, out)) {
        out.palette.fill(qRgb(0, 0, 0));
        medianCut(image, out);
    }
    return out;
}

}  // namespace lumarel
