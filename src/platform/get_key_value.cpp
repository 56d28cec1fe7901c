#include "platform/get_key_value.h"

#include <QByteArray>
#include <algorithm>
#include <array>

namespace lumarel {

bool GetKeyValue(RegistryReader& registry, std::uint32_t KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal)
{
    RegistryKey key = 0;
    if (!registry.openKey(KeyRoot, KeyName, kKeyAllAccess, key)) {
        KeyVal.clear();
        return false;
    }

    std::array<char, kRegistryValueBufferSize> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = kRegistryValueBufferSize;
    if (!registry.queryValue(key, SubKeyRef, type, buffer, size)) {
        KeyVal.clear();
        registry.closeKey(key);
        return false;
    }

    // The size counts a string's terminating NUL when the value was stored with one: drop it then,
    // so that both ways of storing a string read the same. A size beyond the buffer cannot have
    // been filled and counts as the whole buffer.
    std::uint32_t kept = std::min(size, kRegistryValueBufferSize);
    if (kept > 0 && buffer[kept - 1] == '\0')
        --kept;
    const QByteArray bytes(buffer.data(), static_cast<qsizetype>(kept));

    if (type == kRegTypeString) {
        KeyVal = QString::fromLocal8Bit(bytes);
    } else if (type == kRegTypeDword) {
        // Most significant byte first (the bytes are stored least significant first), each byte's
        // code without leading zeros, after whatever the caller passed in.
        for (qsizetype i = bytes.size() - 1; i >= 0; --i)
            KeyVal += QString::number(static_cast<unsigned char>(bytes[i]), 16).toUpper();
        KeyVal.prepend(QStringLiteral("&h"));
    }

    registry.closeKey(key);
    return true;
}

}  // namespace lumarel
