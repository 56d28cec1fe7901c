// The player's track rows: built as files change, named from their tracks, cleared on stop.
#include <QApplication>
#include <QLabel>

#include "midi/midi_output.h"
#include "model/text.h"
#include "music/track_rows.h"
#include "platform/widgets/level_meter.h"
#include "platform/widgets/picture_box.h"
#include "player/form3.h"
#include "player/row_layout.h"

namespace lumarel {

void Form3::buildTrackRows()
{
    const int readerTracks = Midifile1.isOpen() ? Midifile1.trackCount() : 0;
    firstTrack_ = firstTrackFor(readerTracks);
    state_.trackCount = cappedTrackCount(readerTracks);
    const int wanted = wantedRowCount(state_.trackCount, firstTrack_);

    while (int(LabelTrackName.size()) < wanted)
        addRow(int(LabelTrackName.size()));
    while (int(LabelTrackName.size()) > wanted && LabelTrackName.size() > 1)
        removeLastRow();
    for (QLabel* label : LabelTrackName)
        label->clear();
    rowCount_ = std::int16_t(wanted);
    // Notes of the song shown before belong to rows that are gone.
    ++shownState_;
    colouring_.setRows(firstTrack_, rowCount_);
    showMeters();

    // The inner height follows the rows.
    resize(width(), twipsToPxY(clientHeightTwips(rowCount_)));
    keepInsideScreen();
    QCoreApplication::processEvents();

    if (readerTracks > 0)
        msPerTick_ = Midifile1.msPerTick();
    for (int k = 1; k <= state_.trackCount; ++k) {
        if (readerTracks == 1 || k >= 2)
            LabelTrackName[std::size_t(k - firstTrack_)]->setText(trimmedBlanks(trackName(k)));
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
    colouring_.clearMeters();
    showMeters();
    const QColor face = palette().color(QPalette::Button);
    for (int i = 0; i < rowCount_; ++i) {
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

void Form3::showMeters()
{
    for (int i = 0; i < colouring_.rowCount() && i < int(Vindicator1.size()); ++i)
        Vindicator1[std::size_t(i)]->setLevel(colouring_.meter(i));
}

}  // namespace lumarel
