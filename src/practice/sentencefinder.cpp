#include "sentencefinder.h"

#include "core/ecolvarerror.h"
#include "lyricsfile.h"
#include "player/audiodecoder.h"
#include "practicestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// A lyrics or subtitle file of more than this is not one.
constexpr qint64 maxLyricsBytes = 16 * 1024 * 1024;

struct LyricsKind {
    const char16_t* suffix;
    SentenceSource source;
    std::optional<QList<Sentence>> (*read)(QByteArrayView, int);
};

const LyricsKind lyricsKinds[] = {
    { u"lrc", SentenceSource::Lrc, readLrc },
    { u"srt", SentenceSource::Srt, readSrt },
};

} // namespace

LyricsMarks marksFromLyricsFiles(const QString& audioPath, int lengthMs)
{
    const QFileInfo audio(audioPath);
    LyricsMarks result;
    for (const LyricsKind& kind : lyricsKinds) {
        const QString suffix = QString::fromUtf16(kind.suffix);
        for (const QString& s : { suffix, suffix.toUpper() }) {
            const QString path = audio.dir().filePath(audio.completeBaseName() + u'.' + s);
            QFile file(path);
            if (!file.exists())
                continue;
            std::optional<QList<Sentence>> sentences;
            if (file.size() <= maxLyricsBytes && file.open(QIODevice::ReadOnly))
                sentences = kind.read(file.readAll(), lengthMs);
            if (sentences) {
                result.marks = SentenceMarks { kind.source, lengthMs, std::move(*sentences) };
                result.unusableFile.clear();
                return result;
            }
            if (result.unusableFile.isEmpty())
                result.unusableFile = path;
            break; // the other spelling of the suffix is the same file on some systems
        }
    }
    return result;
}

SentenceMarks marksFromStarts(const QList<int>& starts, int lengthMs)
{
    QList<Sentence> sentences;
    for (int ms : starts)
        sentences.append({ ms, 0, QString() });
    return { SentenceSource::Pauses, lengthMs,
        sentencesFromStarts(std::move(sentences), lengthMs) };
}

SentenceMarks marksFromLevels(const AudioLevels& levels, const PauseSettings& settings)
{
    return marksFromStarts(
        findPauseStarts(levels.levelsDb, levels.lengthMs, settings), levels.lengthMs);
}

QString unusableLyricsText(const QString& file)
{
    return u"“%1”无法读取或没有时间标记，改按停顿分句"_s.arg(QDir::toNativeSeparators(file));
}

SentenceFinder::SentenceFinder(PracticeStore* store, QObject* parent)
    : QObject(parent), m_store(store)
{
    connect(&m_watcher, &QFutureWatcher<Analysis>::progressValueChanged, this,
        &SentenceFinder::progressChanged);
    connect(
        &m_watcher, &QFutureWatcher<Analysis>::finished, this, &SentenceFinder::analysisFinished);
}

SentenceFinder::~SentenceFinder()
{
    cancel();
    m_watcher.waitForFinished();
}

void SentenceFinder::cancel()
{
    m_path.clear();
    if (m_watcher.isRunning())
        m_watcher.cancel();
}

void SentenceFinder::find(const QString& audioPath, int lengthMs)
{
    cancel();
    // The player may not know the length yet; the last sentence needs it.
    if (lengthMs <= 0)
        lengthMs = audioFileLengthMs(audioPath);
    const LyricsMarks lyrics = marksFromLyricsFiles(audioPath, lengthMs);
    if (lyrics.marks) {
        Q_EMIT marksFound(audioPath, *lyrics.marks, QString());
        return;
    }
    m_note = lyrics.unusableFile.isEmpty() ? QString() : unusableLyricsText(lyrics.unusableFile);

    const QFileInfo info(audioPath);
    m_size = info.size();
    m_modifiedMs = info.lastModified().toMSecsSinceEpoch();
    if (m_store) {
        try {
            if (const auto cached = m_store->cachedMarks(audioPath, m_size, m_modifiedMs)) {
                Q_EMIT marksFound(
                    audioPath, marksFromStarts(cached->starts, cached->lengthMs), m_note);
                return;
            }
        } catch (const EcolvarError&) {
            // Without the cache the file is analysed again; nothing is lost.
        }
    }

    m_path = audioPath;
    // A cancelled analysis still running finishes on its own; its result is ignored.
    m_watcher.setFuture(QtConcurrent::run([audioPath](QPromise<Analysis>& promise) {
        promise.setProgressRange(0, 100);
        try {
            auto levels = measureAudioLevels(audioPath, PauseSettings {}.frameMs, [&](int p) {
                promise.setProgressValue(p);
                return !promise.isCanceled();
            });
            if (levels)
                promise.addResult(Analysis { std::move(*levels), QString() });
        } catch (const EcolvarError& e) {
            promise.addResult(Analysis { {}, e.text() });
        }
    }));
}

void SentenceFinder::analysisFinished()
{
    const QString path = std::exchange(m_path, QString());
    if (path.isEmpty() || m_watcher.isCanceled())
        return;
    const QFuture<Analysis> future = m_watcher.future();
    if (future.resultCount() == 0)
        return;
    const Analysis analysis = future.result();
    if (!analysis.error.isEmpty()) {
        Q_EMIT failed(path, analysis.error);
        return;
    }
    const SentenceMarks marks = marksFromLevels(analysis.levels);
    if (m_store) {
        try {
            m_store->storeMarks(path, m_size, m_modifiedMs, { marks.lengthMs, marks.starts() });
        } catch (const EcolvarError&) {
            // Not cached: the next open analyses the file again.
        }
    }
    Q_EMIT marksFound(path, marks, m_note);
}

} // namespace ecolvar
