#pragma once
// Read access to a system registry of keys and typed values: the three calls the
// system-information lookup needs (open a key, query one value, close the key). The about window
// reads through this interface so that tests can hand it a fake registry.

#include <QString>
#include <cstdint>
#include <span>

namespace lumarel {

using RegistryKey = std::uintptr_t;  // an open key; meaningful only to the reader that opened it

// Root keys and the fixed values of the lookup, as the registry defines them.
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kKeyAllAccess = 0x2003Fu;  // the access asked for when opening
inline constexpr std::uint32_t kRegTypeString = 1;        // text
inline constexpr std::uint32_t kRegTypeDword = 4;         // a 32-bit number

class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    // Opens keyName (a path of names separated by backslashes) under root. True and a key on success.
    virtual bool openKey(std::uint32_t root, const QString& keyName, std::uint32_t access, RegistryKey& key) = 0;
    // Copies the bytes of value valueName of key into buffer. On entry size holds the buffer's size
    // in bytes; on success it holds the number of bytes the value filled and type its type code.
    virtual bool queryValue(RegistryKey key, const QString& valueName, std::uint32_t& type,
                            std::span<char> buffer, std::uint32_t& size) = 0;
    virtual void closeKey(RegistryKey key) = 0;
};

// The reader of a platform without a registry: no key ever opens.
class NoRegistryReader final : public RegistryReader {
public:
    bool openKey(std::uint32_t, const QString&, std::uint32_t, RegistryKey&) override { return false; }
    bool queryValue(RegistryKey, const QString&, std::uint32_t&, std::span<char>, std::uint32_t&) override
    {
        return false;
    }
    void closeKey(RegistryKey) override {}
};

}  // namespace lumarel
