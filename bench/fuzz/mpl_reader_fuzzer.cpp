// Feeds arbitrary bytes to the set-file reader as a file. Besides crashes and sanitizer reports,
// it checks that a rewrite loses nothing: the lines read, written back unchanged and read again,
// are the same lines (or the write is refused, and the file is left as it was).

#include "core/ecolvarerror.h"
#include "library/audiosetfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

using namespace ecolvar;

namespace {

// A file in memory-backed storage where there is one: the target runs millions of times.
QString scratchPath()
{
    const QString shm = QStringLiteral("/dev/shm");
    const QString dir = QDir(shm).exists() ? shm : QDir::tempPath();
    return dir + QStringLiteral("/ecolvar-fuzz-mpl-%1.mpl").arg(QCoreApplication::applicationPid());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = scratchPath();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(bytes) != bytes.size())
            std::abort();
    }
    QStringList lines;
    try {
        lines = ReadAudioSet(path);
    } catch (const EcolvarError&) {
        return 0;
    }
    try {
        WriteAudioSet(path, lines);
    } catch (const EcolvarError&) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes)
            std::abort(); // a refused write changed the file
        return 0;
    }
    if (ReadAudioSet(path) != lines)
        std::abort(); // the rewrite changed what is read
    return 0;
}
