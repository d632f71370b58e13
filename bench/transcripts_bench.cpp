// Reads and writes a generated transcript of a given size and prints the times and memory.
//   bench_transcripts [MEGABYTES...]   (default: 1 10 50)
// A paragraph is about 100 bytes of English text; every tenth carries an annotated word, so a
// 10 MB file holds about 100 000 paragraphs. The file is generated and written in a child
// process, so the parent loads it on a clean heap. Memory is the growth of the resident set:
// after the load with the document kept ("model"), and at its peak during the load ("peak"),
// which includes the file's bytes read into memory.

#include "richtext/rvstyle.h"
#include "transcriptbench.h"
#include "transcripts/transcriptfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;
using ecolvar::bench::makeDocument;
using ecolvar::bench::statusKB;

namespace {

// Generates the document and writes it to path; prints the paragraph count and the time.
void write(int megabytes, const QString& path)
{
    const RVDocument doc = makeDocument(qint64(megabytes) * 1000 * 1000);
    qint64 paragraphs = 0;
    for (const RVItem& item : doc.Items)
        paragraphs += item.continuesParagraph() ? 0 : 1;
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!SaveDocumentFile(path, doc, englishPaneStyle(), &error)) {
        std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
        return;
    }
    std::printf("%7lld paragraphs  write %5lld ms  ", static_cast<long long>(paragraphs),
        static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);
}

void run(int megabytes, const QString& dir)
{
    const QString path = dir + u"/bench%1.eng"_s.arg(megabytes);
    const pid_t child = fork();
    if (child == 0) {
        write(megabytes, path);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const qint64 fileBytes = QFileInfo(path).size();
    const qint64 rssBefore = statusKB("VmRSS:");
    const qint64 hwmBefore = statusKB("VmHWM:");

    RVDocument loaded;
    TRVStyle loadedStyle = englishPaneStyle();
    QElapsedTimer timer;
    timer.start();
    QString error;
    const bool ok = LoadDocumentFile(path, loaded, loadedStyle, &error);
    const qint64 readMs = timer.elapsed();
    const qint64 modelKB = statusKB("VmRSS:") - rssBefore;
    const qint64 peakKB = qMax<qint64>(0, statusKB("VmHWM:") - qMax(hwmBefore, rssBefore));
    const double fileMB = fileBytes / 1e6;
    std::printf("%6.1f MB  read %5lld ms  model %6.1f MB (%.1fx)  peak +%6.1f MB (%.1fx)  %s\n",
        fileMB, static_cast<long long>(readMs), modelKB / 1e3, modelKB / 1e3 / fileMB, peakKB / 1e3,
        peakKB / 1e3 / fileMB, ok ? "ok" : qPrintable(error));
    QFile::remove(path);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = { 1, 10, 50 };
    QTemporaryDir dir;
    for (int megabytes : sizes)
        run(megabytes, dir.path());
    return 0;
}
