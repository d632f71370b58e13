#include "lengthmeasurer.h"

#include "player/mediadevice.h"

#include <QPromise>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <exception>
#include <numeric>

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
    // One core stays with the window: with every core scanning, its event loop waits for a
    // turn (stalls of 65 ms measured with two workers on two cores).
    m_pool.setMaxThreadCount(std::max(QThread::idealThreadCount() - 1, 1));
}

LengthMeasurer::~LengthMeasurer()
{
    cancel();
}

bool LengthMeasurer::isRunning() const
{
    return !m_watchers.isEmpty();
}

void LengthMeasurer::cancel()
{
    ++m_generation;
    for (QFutureWatcher<MeasuredLength>* watcher : std::as_const(m_watchers))
        watcher->cancel();
    m_watchers.clear();
}

void LengthMeasurer::start(const QStringList& paths)
{
    cancel();
    m_files.clear();
    m_unknown.clear();
    m_lengths = QList<MeasuredLength>(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const FileStamp stamp = FileStamp::of(paths.at(i));
        m_files.append({ paths.at(i), stamp, 0, {} });
        if (const std::optional<int> known
            = m_cache ? m_cache->find(paths.at(i), stamp.size, stamp.modifiedMs) : std::nullopt)
            m_lengths[i].lengthMs = *known;
        else
            m_unknown.append(i);
    }
    if (m_unknown.isEmpty()) {
        Q_EMIT finished(m_lengths);
        return;
    }

    // Worker w takes the unknown files w, w + workers, ...: the first files of the list are
    // measured first.
    const qsizetype workers = std::clamp<qsizetype>(m_pool.maxThreadCount(), 1, m_unknown.size());
    m_workerDone = QList<int>(workers, 0);
    const quint64 generation = m_generation;
    for (qsizetype w = 0; w < workers; ++w) {
        QStringList share;
        for (qsizetype k = w; k < m_unknown.size(); k += workers)
            share.append(m_files.at(m_unknown.at(k)).path);
        auto* watcher = new QFutureWatcher<MeasuredLength>(this);
        m_watchers.append(watcher);
        connect(watcher, &QFutureWatcherBase::progressValueChanged, this,
            [this, generation, w](int value) {
                if (generation != m_generation)
                    return;
                m_workerDone[w] = value;
                const auto total = static_cast<int>(m_files.size());
                const int done = std::accumulate(m_workerDone.cbegin(), m_workerDone.cend(), 0);
                Q_EMIT progress(total - static_cast<int>(m_unknown.size()) + done, total);
            });
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation, w] {
            watcher->deleteLater();
            if (generation != m_generation || watcher->isCanceled())
                return;
            const QList<MeasuredLength> measured = watcher->future().results();
            const qsizetype stride = m_workerDone.size();
            for (qsizetype j = 0; j < measured.size(); ++j)
                m_lengths[m_unknown.at(w + j * stride)] = measured.at(j);
            m_watchers.removeOne(watcher);
            if (m_watchers.isEmpty())
                allMeasured();
        });
        watcher->setFuture(QtConcurrent::run(&m_pool, measureAll, m_probes, share));
    }
}

void LengthMeasurer::allMeasured()
{
    // Only lengths that a timeline can use are remembered: a file that failed may be repaired
    // under the same stamp.
    QList<LengthRecord> records;
    for (const qsizetype i : std::as_const(m_unknown)) {
        const MeasuredLength& measured = m_lengths.at(i);
        if (measured.error.isEmpty() && measured.lengthMs > 0) {
            LengthRecord record = m_files.at(i);
            record.lengthMs = measured.lengthMs;
            record.seekIndex = measured.seekIndex;
            records.append(record);
        }
    }
    if (m_cache)
        m_cache->storeAll(records);
    Q_EMIT finished(m_lengths);
}

} // namespace ecolvar
