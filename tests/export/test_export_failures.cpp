#include "export/atomic_output.h"
#include "export/gif_writer.h"
#include "export/video_encoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace lumarel {
namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// A folder that exists but cannot be written, or empty when this machine has none to offer.
QString unwritableFolder(const QTemporaryDir& dir)
{
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkdir(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(locked + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return locked;
    probe.remove();  // run as root: permissions do not stop it, but a kernel file system does
    return QFileInfo(QStringLiteral("/sys")).isDir() ? QStringLiteral("/sys") : QString();
}

TEST(AtomicOutput, AppearsOnlyOnCommitAndReplacesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.mp4"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    QString error;
    auto output = AtomicOutput::create(path, &error);
    ASSERT_TRUE(output) << error.toStdString();
    const QFileInfo temporary(output->temporaryPath());
    EXPECT_EQ(temporary.absolutePath(), QFileInfo(path).absolutePath());
    EXPECT_TRUE(temporary.fileName().startsWith(QStringLiteral(".out.mp4.")));
    EXPECT_TRUE(temporary.fileName().endsWith(QStringLiteral(".part")));
    EXPECT_EQ(temporary.fileName().size(), QStringLiteral(".out.mp4.XXXXXX.part").size());
    QFile part(output->temporaryPath());
    ASSERT_TRUE(part.open(QIODevice::WriteOnly));
    part.write("new");
    part.close();
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    EXPECT_EQ(before.readAll(), QByteArray("old")) << "untouched until commit";
    before.close();

    ASSERT_TRUE(output->commit(&error)) << error.toStdString();
    output.reset();
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), QByteArray("new"));
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("out.mp4")});

    // Not committed: nothing stays behind.
    auto dropped = AtomicOutput::create(dir.filePath(QStringLiteral("other.gif")), &error);
    ASSERT_TRUE(dropped);
    EXPECT_TRUE(QFile::exists(dropped->temporaryPath()));
    dropped.reset();
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("out.mp4")});
}

TEST(ExportFailures, FoldersThatCannotTakeTheFileAreNamed)
{
    QTemporaryDir dir;
    QString error;
    const QString missing = dir.filePath(QStringLiteral("missing"));
    EXPECT_FALSE(VideoEncoder::create(missing + QStringLiteral("/a.mp4"), {QSize(64, 64)}, &error));
    EXPECT_TRUE(error.contains(missing) && error.contains(QStringLiteral("does not exist"))) << error.toStdString();
    EXPECT_FALSE(GifWriter::create(missing + QStringLiteral("/a.gif"), QSize(8, 8), QRect(0, 0, 8, 8), &error));
    EXPECT_TRUE(error.contains(missing)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));

    EXPECT_FALSE(AtomicOutput::create(dir.path(), &error)) << "a folder is not a file";

    const QString locked = unwritableFolder(dir);
    if (locked.isEmpty())
        GTEST_SKIP() << "no unwritable folder on this machine";
    EXPECT_FALSE(VideoEncoder::create(locked + QStringLiteral("/a.webm"), {QSize(64, 64)}, &error));
    EXPECT_TRUE(error.contains(locked) && error.contains(QStringLiteral("cannot be written"))) << error.toStdString();
    EXPECT_FALSE(GifWriter::create(locked + QStringLiteral("/a.gif"), QSize(8, 8), QRect(0, 0, 8, 8), &error));
    EXPECT_TRUE(error.contains(locked)) << error.toStdString();
    if (locked.startsWith(dir.path())) {
        EXPECT_TRUE(filesIn(locked).isEmpty());
    }
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(ExportFailures, StoppingHalfWayLeavesNothing)
{
    QTemporaryDir dir;
    QString error;
    const QSize size(64, 48);
    std::vector<std::uint8_t> indices(std::size_t(size.width() * size.height()), 3);
    std::array<QRgb, 256> palette{};
    palette.fill(qRgb(10, 200, 30));
    const std::vector<float> sound(4800, 0.1f);
    for (const char* name : {"cut.mp4", "cut.webm"}) {
        auto encoder = VideoEncoder::create(dir.filePath(QLatin1String(name)), {size, 30, 48000}, &error);
        ASSERT_TRUE(encoder) << error.toStdString();
        for (int i = 0; i < 10; ++i) {
            ASSERT_TRUE(encoder->addFrame(indices.data(), size.width(), palette, &error));
            ASSERT_TRUE(encoder->addAudio(sound, &error));
        }
        EXPECT_EQ(filesIn(dir.path()).size(), 1) << "only the hidden temporary while it works";
        encoder.reset();  // cancelled
        EXPECT_TRUE(filesIn(dir.path()).isEmpty()) << filesIn(dir.path()).join(' ').toStdString();
    }
    auto gif = GifWriter::create(dir.filePath(QStringLiteral("cut.gif")), size, QRect(QPoint(0, 0), size), &error);
    ASSERT_TRUE(gif) << error.toStdString();
    ASSERT_TRUE(gif->addFrame(indices.data(), size.width(), palette, 10, &error));
    gif.reset();
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());

    // A video with no frames is refused at the end, and leaves nothing either.
    auto empty = VideoEncoder::create(dir.filePath(QStringLiteral("empty.mp4")), {size, 30, 48000}, &error);
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->finish(&error));
    empty.reset();
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());
}

}  // namespace
}  // namespace lumarel
