// Feeds arbitrary bytes to the media device as an audio file: opened through the real device
// on its silent output, measured, sought into and closed. An open that fails must say so with
// an EcolvarError; one that succeeds must give a length that fits and positions within it.

#include "core/ecolvarerror.h"
#include "player/sndfilemediadevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace ecolvar;

namespace {

QString scratchPath()
{
    const QString shm = QStringLiteral("/dev/shm");
    const QString dir = QDir(shm).exists() ? shm : QDir::tempPath();
    return dir + QStringLiteral("/ecolvar-fuzz-audio-%1").arg(QCoreApplication::applicationPid());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = scratchPath();
    static SndFileMediaDevice device(SndFileMediaDevice::Output::Silent);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    device.setFileName(path);
    try {
        device.Open();
    } catch (const EcolvarError&) {
        return 0;
    }
    const int length = device.Length();
    if (length < 0)
        std::abort();
    device.Seek(length / 2);
    if (device.Position() < 0 || device.Position() > length)
        std::abort();
    device.Seek(length);
    device.Close();
    return 0;
}
