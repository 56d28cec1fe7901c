#!/usr/bin/env python3
"""Writes the project's own MIDI files: the sample song shipped beside the program
(data/ship/lumarel_sample.mid) and the fuzzing seeds (fuzz/seeds/midifile/).
Run from the repository root."""

import os
import struct


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def meta(delta, kind, payload):
    return var_len(delta) + bytes([0xFF, kind]) + var_len(len(payload)) + payload


def track(body, end=True):
    if end:
        body += meta(0, 0x2F, b"")
    return b"MTrk" + struct.pack(">I", len(body)) + body


def song(fmt, division, tracks, declared=None):
    count = len(tracks) if declared is None else declared
    return b"MThd" + struct.pack(">IHHH", 6, fmt, count, division & 0xFFFF) + b"".join(tracks)


def melody(channel, program, notes, step, name):
    """notes: list of (key, length in steps); 0 as key is a rest."""
    body = meta(0, 0x03, name.encode("utf-8"))
    body += bytes([0, 0xC0 | channel, program])
    pending = 0
    for key, length in notes:
        if key == 0:
            pending += length * step
            continue
        body += var_len(pending) + bytes([0x90 | channel, key, 96])
        body += var_len(length * step) + bytes([0x80 | channel, key, 0])
        pending = 0
    return body


def sample():
    conductor = meta(0, 0x03, b"Lumarel sample") + meta(0, 0x51, struct.pack(">I", 600000)[1:])
    conductor += meta(0, 0x58, bytes([4, 2, 24, 8]))
    conductor += meta(1920, 0x51, struct.pack(">I", 500000)[1:])
    tune = [(60, 1), (62, 1), (64, 1), (65, 1), (67, 2), (67, 2), (69, 1), (69, 1), (69, 1), (69, 1),
            (67, 4), (65, 1), (65, 1), (65, 1), (65, 1), (64, 2), (64, 2), (62, 1), (62, 1), (62, 1),
            (62, 1), (60, 4)]
    bass = [(48, 4), (43, 4), (41, 4), (48, 4), (41, 4), (48, 4), (43, 4), (48, 4)]
    chords = [(0, 8), (64, 4), (65, 4), (69, 4), (67, 4), (64, 4), (67, 4), (64, 4)]
    return song(1, 480, [
        track(conductor),
        track(melody(0, 0, tune, 240, "Piano")),
        track(melody(1, 32, bass, 240, "Bass")),
        track(melody(2, 48, chords, 240, "Strings \u00e0 l'unisson")),
    ])


def seeds():
    notes = bytes([0, 0x90, 60, 100, 10, 62, 100, 10, 0x80, 60, 0, 0, 62, 0])
    single = song(0, 96, [track(meta(0, 3, b"One") + notes)])
    out = {
        "format0.mid": single,
        "format1_tempo.mid": song(1, 480, [
            track(meta(0, 0x51, b"\x07\xa1\x20") + meta(480, 0x51, b"\x03\xd0\x90")),
            track(notes)]),
        "format2.mid": song(2, 120, [track(notes), track(meta(0, 1, b"caf\xe9") + notes)]),
        "sysex.mid": song(0, 96, [track(bytes([0, 0xF0, 4, 0x7E, 0x7F, 0x09, 0xF7, 5, 0xF7, 2, 0x43, 0x12])
                                        + notes)]),
        "smpte.mid": song(0, 0xE728, [track(notes)]),  # 25 fps, 40 ticks a frame
        "cut_short.mid": single[:-5],
        "past_end.mid": single[:-1] + b"",
        "stray.mid": single + b"\x00\x01\x02",
        "no_end.mid": song(0, 96, [track(notes, end=False)]),
        "programs.mid": song(0, 96, [track(bytes([0, 0xC3, 5, 0, 0xD3, 70, 0, 0xE3, 0, 64, 0, 0xA3, 60, 20,
                                                  0, 0xB3, 7, 100]))]),
    }
    riff_body = b"RMID" + b"data" + struct.pack("<I", len(single)) + single
    out["wrapped.rmi"] = b"RIFF" + struct.pack("<I", len(riff_body)) + riff_body
    return out


def main():
    os.makedirs("data/ship", exist_ok=True)
    with open("data/ship/lumarel_sample.mid", "wb") as f:
        f.write(sample())
    os.makedirs("fuzz/seeds/midifile", exist_ok=True)
    for name, data in seeds().items():
        with open(os.path.join("fuzz/seeds/midifile", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
