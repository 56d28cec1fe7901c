#pragma once
// Our BMP decoder: a pure function over a whole file's bytes (which may be a memory-mapped file)
// that returns a picture as a palette display holds it, or a user-facing reason.
//
// - 1, 2, 4 and 8 bits: the indices exactly as stored and the palette entries as stored; entries
//   the file does not hold are black (an index past the palette shows black but is kept).
// - RLE8 and RLE4 with end-of-line, end-of-bitmap, delta and absolute runs.
// - 16, 24 and 32 bits, with or without colour masks: quantised to 256 colours (quantizer.h).
// - Damage is deterministic: every pixel the file does not supply is index 0 (black for true
//   colour); runs that overrun a row or the picture are clipped; data that ends early leaves the
//   rest 0. A file that supplies no pixel at all is refused.

#include <QByteArrayView>
#include <QSize>
#include <functional>
#include <optional>
#include <variant>

#include "platform/bmp_header.h"
#include "platform/indexed_picture.h"
#include "platform/quantizer.h"

namespace lumarel {

using BmpDecodeResult = std::variant<IndexedPicture, BmpError>;

// Reduces the rows of a true-colour picture to 256 colours (quantizeRows unless a test or the
// fuzzer needs to see the rows or skip the work); empty when it ran out of memory.
using TrueColourQuantizer = std::function<std::optional<IndexedPicture>(QSize, const RgbaRowSource&)>;

BmpDecodeResult decodeBmpBytes(QByteArrayView bytes, const TrueColourQuantizer& quantizer = quantizeRows);

}  // namespace lumarel
