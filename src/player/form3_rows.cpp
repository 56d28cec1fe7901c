// The player's track rows: built as files change, named from their tracks, cleared on stop.
#include <QApplication>

#include "player/form3.h"
#include "player/midi_output.h"
#include "player/track_rows.h"

namespace lumarel {

void Form3::buildTrackRows()
{
    const int readerTracks = Midifile1.isOpen() ? Midifile1.trackCount() : 0;
    firstTrack = firstTrackFor(readerTracks);
    state_.trackCount = cappedTrackCount(readerTracks);
    const int wanted = wantedRowCount(state_.trackCount, firstTrack);

    while (int(LabelTrackName.size()) < wanted)
        addRow(int(LabelTrackName.size()));
    while (int(LabelTrackName.size()) > wanted && LabelTrackName.size() > 1)
        removeLastRow();
    for (QLabel* label : LabelTrackName)
        label->clear();
    rowCount = std::int16_t(wanted);

    // The inner height follows the rows.
    resize(width(), twipsToPxY(clientHeightTwips(rowCount)));
    QCoreApplication::processEvents();

    if (readerTracks > 0)
        msPerTick = Midifile1.msPerTick();
    for (int k = 1; k <= state_.trackCount; ++k) {
        if (readerTracks == 1 || k >= 2)
            LabelTrackName[std::size_t(k - firstTrack)]->setText(trackName(k).trimmed());
    }
}

QString Form3::trackName(int track)
{
    Midifile1.setTrack(track);
    const std::int64_t n = Midifile1.eventCount();
    QString name;
    for (std::int64_t e = 1; e <= n; ++e) {
        Midifile1.setEventIndex(e);
        const int status = Midifile1.status();
        if (status == 255 && Midifile1.data1() == 3) {
            const QString text = Midifile1.eventText();
            name = text.isEmpty() ? QStringLiteral("Track %1 (null)").arg(track) : text;
        }
        if (status >= 192 && status <= 207)
            break;
    }
    return name;
}

void Form3::clearTrackRows()
{
    const QColor face = palette().color(QPalette::Button);
    for (int i = 0; i < rowCount; ++i) {
        Vindicator1[std::size_t(i)]->setLevel(0);
        Picture1[std::size_t(i)]->setBackColor(face);
        Picture2[std::size_t(i)]->setBackColor(face);
    }
    // Leaves the output's message fields as the last pass set them; nothing is sent.
    for (int pass = 0; pass < 16; ++pass) {
        for (int note = 0; note <= 127; ++note) {
            MIDIOutput1.setMsgData1(note);
            MIDIOutput1.setMsgData2(0);
        }
    }
}

}  // namespace lumarel
