#pragma once
// A registry held in memory for the about window's tests: keys of typed byte values, with a count
// of the keys left open.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstring>

#include "platform/registry_reader.h"

namespace lumarel::test {

class FakeRegistry final : public RegistryReader {
public:
    struct StoredValue {
        std::uint32_t type = 0;
        QByteArray bytes;
        std::uint32_t reportedSize = 0;  // the size the query reports; the byte count when 0
    };

    void set(const QString& key, const QString& name, std::uint32_t type, const QByteArray& bytes,
             std::uint32_t reportedSize = 0)
    {
        keys_[key][name] = {type, bytes, reportedSize};
    }
    void addKey(const QString& key) { keys_[key]; }

    bool openKey(std::uint32_t root, const QString& keyName, std::uint32_t access, RegistryKey& key) override
    {
        openedNames << keyName;
        lastRoot = root;
        lastAccess = access;
        if (root != kHkeyLocalMachine || !keys_.contains(keyName))
            return false;
        opened_.append(keyName);
        key = static_cast<RegistryKey>(opened_.size());  // 1-based position in opened_
        ++openCount;
        return true;
    }

    bool queryValue(RegistryKey key, const QString& valueName, std::uint32_t& type, std::span<char> buffer,
                    std::uint32_t& size) override
    {
        sizeOnEntry = size;
        allNulOnEntry = std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == '\0'; });
        const auto& values = keys_[opened_.at(static_cast<qsizetype>(key) - 1)];
        if (!values.contains(valueName))
            return false;
        const StoredValue& value = values[valueName];
        const std::size_t count = std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(value.bytes.size()));
        std::memcpy(buffer.data(), value.bytes.constData(), count);
        type = value.type;
        size = value.reportedSize ? value.reportedSize : static_cast<std::uint32_t>(value.bytes.size());
        return true;
    }

    void closeKey(RegistryKey) override { --openCount; }

    int openCount = 0;  // keys opened and not closed again
    QStringList openedNames;
    std::uint32_t lastRoot = 0;
    std::uint32_t lastAccess = 0;
    std::uint32_t sizeOnEntry = 0;
    bool allNulOnEntry = false;

private:
    QMap<QString, QMap<QString, StoredValue>> keys_;
    QStringList opened_;
};

}  // namespace lumarel::test
