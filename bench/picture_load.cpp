// Peak memory and time of loading a large BMP through loadPictureData (the file's bytes read
// whole, then decoded). Without arguments it writes, row by row into a temporary folder, an
// 8-bit picture of 33 million pixels, one of 10,000 x 10,000 and a 24-bit one of 12 million,
// and loads each; with arguments it loads the files given. The peak is the process's resident
// high-water mark, reset (Linux clear_refs) just before each load.
// Prints one line per picture:
//   picture_load pixels=<..> bits=<..> file_mb=<..> peak_rss_mb=<..> load_ms=<..>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/picture_loader.h"

namespace {

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;  // kB
    return -1;
}

void put32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char(v >> (8 * i)));
}

// Writes an uncompressed 8- or 24-bit BMP one row at a time (a smooth pattern with some noise).
bool writeBmp(const QString& path, int width, int height, int bits)
{
    const qint64 stride = (qint64(width) * bits + 31) / 32 * 4;
    const quint32 paletteBytes = bits == 8 ? 1024 : 0;
    QByteArray head("BM");
    put32(head, quint32(54 + paletteBytes + stride * height));
    put32(head, 0);
    put32(head, 54 + paletteBytes);
    for (quint32 v : {40u, quint32(width), quint32(height), 1u | quint32(bits) << 16, 0u, quint32(stride * height), 2835u, 2835u, 0u, 0u})
        put32(head, v);
    for (quint32 i = 0; i < paletteBytes / 4; ++i)
        put32(head, i * 0x010203u & 0xFFFFFF);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size())
        return false;
    QByteArray row(stride, '\0');
    unsigned seed = 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int(seed >> 29);
            if (bits == 8) {
                row[x] = char((x / 7 + y / 5 + noise) & 255);
            } else {
                row[3 * x] = char((x * 255 / width + noise) & 255);
                row[3 * x + 1] = char((y * 255 / height) & 255);
                row[3 * x + 2] = char(((x + y) / 16 + noise) & 255);
            }
        }
        if (file.write(row) != row.size())
            return false;
    }
    return true;
}

int load(const QString& path)
{
    resetPeak();
    const auto start = std::chrono::steady_clock::now();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    const lumarel::PictureLoadResult result = lumarel::loadPictureData(bytes);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!result.picture) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(result.error));
        return 1;
    }
    const int bits = bytes.size() > 29 ? int(quint8(bytes[28])) : 0;
    std::printf("picture_load pixels=%zu bits=%d file_mb=%.1f peak_rss_mb=%.1f load_ms=%.0f\n",
                result.picture->indices.size(), bits, double(bytes.size()) / (1024.0 * 1024.0), peakMb(), ms);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int status = 0;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            status |= load(QString::fromLocal8Bit(argv[i]));
        return status;
    }
    QTemporaryDir dir;
    struct Picture {
        int width, height, bits;
    };
    for (const Picture p : {Picture{7000, 4715, 8}, Picture{10000, 10000, 8}, Picture{4000, 3000, 24}}) {
        const QString path = dir.filePath(QStringLiteral("picture.bmp"));
        if (!writeBmp(path, p.width, p.height, p.bits)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        status |= load(path);
        QFile::remove(path);
    }
    return status;
}
