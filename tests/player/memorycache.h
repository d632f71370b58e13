#pragma once

#include "core/lengthcache.h"

#include <QHash>
#include <QString>

namespace ecolvar::test {

// A cache in memory that remembers how it was asked.
class MemoryCache : public LengthCache {
public:
    std::optional<int> find(const QString& path, qint64 size, qint64 modifiedMs) override
    {
        const auto found = m_lengths.constFind(key(path, size, modifiedMs));
        return found == m_lengths.cend() ? std::nullopt : std::optional(*found);
    }
    QByteArray findSeekIndex(const QString& path, qint64 size, qint64 modifiedMs) override
    {
        return m_indexes.value(key(path, size, modifiedMs));
    }
    void store(const QString& path, qint64 size, qint64 modifiedMs, int lengthMs,
        const QByteArray& seekIndex) override
    {
        m_lengths.insert(key(path, size, modifiedMs), lengthMs);
        m_indexes.insert(key(path, size, modifiedMs), seekIndex);
    }
    qsizetype size() const { return m_lengths.size(); }

private:
    static QString key(const QString& path, qint64 size, qint64 modifiedMs)
    {
        return path + u'|' + QString::number(size) + u'|' + QString::number(modifiedMs);
    }
    QHash<QString, int> m_lengths;
    QHash<QString, QByteArray> m_indexes;
};

} // namespace ecolvar::test
