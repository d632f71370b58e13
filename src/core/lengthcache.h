#pragma once

#include <QString>

#include <optional>

namespace ecolvar {

// Lengths of audio files measured before, keyed by the file's path, size and modification time,
// so that a file is measured once. A cache: when it cannot be read or written, files are measured
// again.
class LengthCache {
public:
    virtual ~LengthCache() = default;
    virtual std::optional<int> find(const QString& path, qint64 size, qint64 modifiedMs) = 0;
    virtual void store(const QString& path, qint64 size, qint64 modifiedMs, int lengthMs) = 0;
};

} // namespace ecolvar
