#pragma once
// Reads one registry value as text, the way the system-information lookup of the about window
// expects it: strings as they are, 32-bit numbers as "&h" followed by hexadecimal digits.

#include <QString>
#include <cstdint>

#include "platform/registry_reader.h"

namespace lumarel {

inline constexpr std::uint32_t kRegistryValueBufferSize = 1024;  // characters, all NUL before a query

// Opens KeyName under KeyRoot, reads the value SubKeyRef and closes the key again.
// True when the value was read. A missing key or value gives false with KeyVal empty. A value of
// any type other than string (1) or 32-bit number (4) gives true and leaves KeyVal as passed.
bool GetKeyValue(RegistryReader& registry, std::uint32_t KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal);

}  // namespace lumarel
