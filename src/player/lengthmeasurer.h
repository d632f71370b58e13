#pragma once

#include "core/lengthcache.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace ecolvar {

class MediaDevice;

// The length of one audio file as measured: its length in milliseconds, or the reason it could
// not be opened; and the seek index the measuring made, if any.
struct MeasuredLength {
    int lengthMs = 0;
    QString error;
    QByteArray seekIndex;
};

// Measures the lengths of a timeline's files on worker threads (one per core but one), so the
// window never waits for a long scan: files found in the cache are known at once, the others are
// measured by workers each with a probe of its own, then stored together. Lives on the window's
// thread, where its signals arrive. Starting a new run cancels the one in progress: its results
// never arrive.
class LengthMeasurer : public QObject {
    Q_OBJECT

public:
    using ProbeFactory = std::function<std::unique_ptr<MediaDevice>()>;

    LengthMeasurer(ProbeFactory probes, LengthCache* cache, QObject* parent = nullptr);
    ~LengthMeasurer() override;

    // Starts measuring paths. When every length is in the cache, finished is emitted before this
    // returns.
    void start(const QStringList& paths);
    void cancel();
    bool isRunning() const;

Q_SIGNALS:
    // done of total files are measured (the cached ones count as done from the start).
    void progress(int done, int total);
    // The lengths, in the order of the paths given to start.
    void finished(const QList<MeasuredLength>& lengths);

private:
    void allMeasured();

    ProbeFactory m_probes;
    LengthCache* m_cache;
    // The run in progress: its files with their stamps, the lengths known so far, the indexes of
    // the files the workers measure, and how many each has done. A run's signals count only while
    // its generation is the current one.
    QList<LengthRecord> m_files;
    QList<MeasuredLength> m_lengths;
    QList<qsizetype> m_unknown;
    QList<int> m_workerDone;
    QList<QFutureWatcher<MeasuredLength>*> m_watchers;
    quint64 m_generation = 0;
    // The measuring threads, apart from the global pool, which other work needs meanwhile.
    // Declared last: destroyed first, it waits for workers still finishing a file.
    QThreadPool m_pool;
};

} // namespace ecolvar
