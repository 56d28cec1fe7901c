#pragma once
// What the benchmarks share: their pictures, their figures, and dialogs that stay silent.

#include <QImage>
#include <QString>
#include <algorithm>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "platform/widgets/dialogs.h"

namespace lumarel::bench {

// A 640x480 8-bit picture with all 256 indices in use and its own colours.
inline bool writePicture(const QString& path)
{
    QImage image(640, 480, QImage::Format_Indexed8);
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = qRgb(i, 255 - i, (i * 7) & 255);
    image.setColorTable(table);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.scanLine(y)[x] = uchar((x ^ y) & 255);
    return image.save(path, "BMP");
}

// CPU time the process used so far, user and system, in seconds.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// Resident set size in KiB, from /proc/self/statm (pages).
inline long rssKb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5))];
}

// No box opens during a benchmark; a message is counted instead.
class SilentDialogs final : public Dialogs {
public:
    void message(QWidget*, const QString&, const QString&, Icon) override { ++messages; }
    QString openFileName(QWidget*, const FileDialogSettings&) override { return {}; }
    QString saveFileName(QWidget*, const FileDialogSettings&) override { return {}; }
    int messages = 0;
};

}  // namespace lumarel::bench
