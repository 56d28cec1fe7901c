#pragma once
// Builds standard MIDI files byte by byte inside a test.

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace lumarel::test {

inline QByteArray be32(std::uint32_t v)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((v >> shift) & 0xFF));
    return out;
}

inline QByteArray be16(std::uint16_t v)
{
    return QByteArray() + char(v >> 8) + char(v & 0xFF);
}

inline QByteArray le32(std::uint32_t v)
{
    QByteArray out;
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((v >> shift) & 0xFF));
    return out;
}

inline QByteArray varLen(std::uint32_t v)
{
    QByteArray out(1, char(v & 0x7F));
    while (v >>= 7)
        out.prepend(char((v & 0x7F) | 0x80));
    return out;
}

class TrackBuilder {
public:
    // An event: its delta, then the bytes as written (status optional under running status).
    TrackBuilder& event(std::uint32_t delta, std::initializer_list<int> bytes)
    {
        data += varLen(delta);
        for (int b : bytes)
            data.append(char(b));
        return *this;
    }
    TrackBuilder& meta(std::uint32_t delta, int type, const QByteArray& payload)
    {
        data += varLen(delta);
        data.append(char(0xFF)).append(char(type)) += varLen(std::uint32_t(payload.size()));
        data += payload;
        return *this;
    }
    TrackBuilder& tempo(std::uint32_t delta, std::uint32_t us)
    {
        return meta(delta, 0x51, be32(us).mid(1));
    }
    TrackBuilder& sysex(std::uint32_t delta, int status, const QByteArray& payload)
    {
        data += varLen(delta);
        data.append(char(status)) += varLen(std::uint32_t(payload.size()));
        data += payload;
        return *this;
    }
    TrackBuilder& end(std::uint32_t delta = 0) { return meta(delta, 0x2F, {}); }

    QByteArray chunk() const { return QByteArray("MTrk") + be32(std::uint32_t(data.size())) + data; }

    QByteArray data;
};

inline QByteArray smfHeader(int format, int tracks, int division)
{
    return QByteArray("MThd") + be32(6) + be16(std::uint16_t(format)) + be16(std::uint16_t(tracks)) +
           be16(std::uint16_t(division));
}

inline QByteArray smf(int format, int division, const std::vector<TrackBuilder>& tracks)
{
    QByteArray out = smfHeader(format, int(tracks.size()), division);
    for (const TrackBuilder& t : tracks)
        out += t.chunk();
    return out;
}

// A RIFF RMID file holding the song in its data chunk.
inline QByteArray rmid(const QByteArray& song)
{
    QByteArray data = QByteArray("data") + le32(std::uint32_t(song.size())) + song;
    if (song.size() & 1)
        data.append('\0');
    const QByteArray body = QByteArray("RMID") + data;
    return QByteArray("RIFF") + le32(std::uint32_t(body.size())) + body;
}

}  // namespace lumarel::test
