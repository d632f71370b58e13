#pragma once

#include "core/lengthcache.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

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

// Measures the lengths of a timeline's files on a worker thread, so the window never waits for a
// long scan: files found in the cache are known at once, the others are measured one after the
// other with a probe of the worker's own and then stored. Lives on the window's thread, where
// its signals arrive. Starting a new run cancels the one in progress: its results never arrive.
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
    struct Stamp {
        QString path;
        qint64 size = 0;
        qint64 modifiedMs = 0;
    };
    void workerFinished(const QFuture<MeasuredLength>& future);

    ProbeFactory m_probes;
    LengthCache* m_cache;
    // The run in progress: its files, the lengths known so far, and the indexes measured by the
    // worker. A run's signals count only while its generation is the current one.
    QList<Stamp> m_stamps;
    QList<MeasuredLength> m_lengths;
    QList<qsizetype> m_unknown;
    QFutureWatcher<MeasuredLength>* m_watcher = nullptr;
    quint64 m_generation = 0;
};

} // namespace ecolvar
