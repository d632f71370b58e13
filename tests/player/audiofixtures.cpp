#include "audiofixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace ecolvar::test {

namespace {

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0)
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void make(const QString& name, const QString& path)
{
    const QString sox = u"sox"_s;
    const QStringList tone = { u"synth"_s, u"2"_s, u"sine"_s, u"440"_s, u"vol"_s, u"0.5"_s };
    if (name == u"tone.wav")
        run(sox,
            QStringList { u"-n"_s, u"-r"_s, u"44100"_s, u"-c"_s, u"2"_s, u"-b"_s, u"16"_s, path }
                + tone);
    else if (name == u"noaudio.wav")
        run(sox,
            { u"-n"_s, u"-r"_s, u"44100"_s, u"-c"_s, u"2"_s, u"-b"_s, u"16"_s, path, u"trim"_s,
                u"0"_s, u"0"_s });
    else if (name == u"mono8k.wav")
        run(sox,
            QStringList { u"-n"_s, u"-r"_s, u"8000"_s, u"-c"_s, u"1"_s, u"-b"_s, u"8"_s, u"-e"_s,
                u"unsigned-integer"_s, path }
                + tone);
    else if (name == u"float48k.wav")
        run(sox,
            QStringList { u"-n"_s, u"-r"_s, u"48000"_s, u"-c"_s, u"2"_s, u"-b"_s, u"32"_s, u"-e"_s,
                u"floating-point"_s, path }
                + tone);
    else if (name == u"lame.mp3")
        run(u"lame"_s, { u"--quiet"_s, audioFixture(u"tone.wav"_s), path });
    else if (name == u"cbr.mp3")
        run(u"lame"_s, { u"--quiet"_s, u"-t"_s, audioFixture(u"tone.wav"_s), path });
    else if (name == u"id3.mp3")
        run(u"lame"_s,
            { u"--quiet"_s, u"--id3v2-only"_s, u"--tt"_s, u"A title"_s, audioFixture(u"tone.wav"_s),
                path });
    else if (name == u"lame22k.mp3")
        run(u"lame"_s,
            { u"--quiet"_s, u"--resample"_s, u"22.05"_s, audioFixture(u"tone.wav"_s), path });
    else if (name.startsWith(u"truncated")) {
        QFile whole(audioFixture(name == u"truncated22k.mp3" ? u"lame22k.mp3"_s : u"lame.mp3"_s));
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        write(path, whole.read(whole.size() * 4 / 10));
    } else if (name == u"empty.mp3")
        write(path, {});
    else if (name == u"text.mp3")
        write(path, "These are the words of a transcript, not audio.\n");
    else
        ADD_FAILURE() << "no fixture named " << name.toStdString();
}

} // namespace

QString audioFixture(const QString& name)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!QFile::exists(path))
        make(name, path);
    return path;
}

long long decodedFrames(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return -1;
    std::vector<short> buffer(4096 * static_cast<std::size_t>(info.channels));
    long long frames = 0;
    sf_count_t got = 0;
    while ((got = sf_readf_short(file, buffer.data(), 4096)) > 0)
        frames += got;
    sf_close(file);
    return frames;
}

} // namespace ecolvar::test
