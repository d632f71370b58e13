#include "lengthmeasurer.h"

#include "player/mediadevice.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace ecolvar {

namespace {

// Measures each path in turn with one probe, reporting each result as it comes; stops early when
// the run is cancelled.
void measureAll(QPromise<MeasuredLength>& promise, const LengthMeasurer::ProbeFactory& probes,
    const QStringList& paths)
{
    const std::unique_ptr<MediaDevice> probe = probes();
    promise.setProgressRange(0, static_cast<int>(paths.size()));
    int done = 0;
    for (const QString& path : paths) {
        if (promise.isCanceled())
            return;
        MeasuredLength measured;
        probe->setFileName(path);
        try {
            probe->Open();
            measured.lengthMs = probe->Length();
            measured.seekIndex = probe->scannedSeekIndex();
        } catch (const std::exception& error) {
            measured.error = QString::fromUtf8(error.what());
        }
        probe->Close();
        promise.addResult(measured);
        promise.setProgressValue(++done);
    }
}

} // namespace

LengthMeasurer::LengthMeasurer(ProbeFactory probes, LengthCache* cache, QObject* parent)
    : QObject(parent), m_probes(std::move(probes)), m_cache(cache)
{
}

LengthMeasurer::~LengthMeasurer()
{
    cancel();
}

bool LengthMeasurer::isRunning() const
{
    return m_watcher != nullptr;
}

void LengthMeasurer::cancel()
{
    ++m_generation;
    if (m_watcher) {
        m_watcher->cancel();
        m_watcher = nullptr;
    }
}

void LengthMeasurer::start(const QStringList& paths)
{
    cancel();
    m_stamps.clear();
    m_unknown.clear();
    m_lengths = QList<MeasuredLength>(paths.size());
    QStringList unknownPaths;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const FileStamp fileStamp = FileStamp::of(paths.at(i));
        const Stamp stamp { paths.at(i), fileStamp.size, fileStamp.modifiedMs };
        m_stamps.append(stamp);
        if (const std::optional<int> known
            = m_cache ? m_cache->find(stamp.path, stamp.size, stamp.modifiedMs) : std::nullopt) {
            m_lengths[i].lengthMs = *known;
        } else {
            m_unknown.append(i);
            unknownPaths.append(stamp.path);
        }
    }
    if (m_unknown.isEmpty()) {
        Q_EMIT finished(m_lengths);
        return;
    }

    const quint64 generation = m_generation;
    auto* watcher = new QFutureWatcher<MeasuredLength>(this);
    m_watcher = watcher;
    connect(
        watcher, &QFutureWatcherBase::progressValueChanged, this, [this, generation](int value) {
            if (generation != m_generation)
                return;
            const auto total = static_cast<int>(m_stamps.size());
            Q_EMIT progress(total - static_cast<int>(m_unknown.size()) + value, total);
        });
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_generation || watcher->isCanceled())
            return;
        m_watcher = nullptr;
        workerFinished(watcher->future());
    });
    watcher->setFuture(QtConcurrent::run(measureAll, m_probes, unknownPaths));
}

void LengthMeasurer::workerFinished(const QFuture<MeasuredLength>& future)
{
    const QList<MeasuredLength> measured = future.results();
    QList<LengthRecord> records;
    for (qsizetype k = 0; k < m_unknown.size() && k < measured.size(); ++k) {
        const qsizetype i = m_unknown.at(k);
        m_lengths[i] = measured.at(k);
        // Only lengths that a timeline can use are remembered: a file that failed may be
        // repaired under the same stamp.
        const Stamp& stamp = m_stamps.at(i);
        if (measured.at(k).error.isEmpty() && measured.at(k).lengthMs > 0)
            records.append({ stamp.path, { stamp.size, stamp.modifiedMs }, measured.at(k).lengthMs,
                measured.at(k).seekIndex });
    }
    if (m_cache)
        m_cache->storeAll(records);
    Q_EMIT finished(m_lengths);
}

} // namespace ecolvar
