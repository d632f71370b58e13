#include "audiofixtures.h"

#include "player/audiodecoder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

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
    else if (name == u"mono24k.wav")
        run(sox,
            QStringList { u"-n"_s, u"-r"_s, u"24000"_s, u"-c"_s, u"1"_s, u"-b"_s, u"16"_s, path }
                + tone);
    else if (name == u"surround.wav")
        run(sox,
            QStringList { u"-n"_s, u"-r"_s, u"44100"_s, u"-c"_s, u"6"_s, u"-b"_s, u"16"_s, path }
                + tone);
    else if (name == u"float48k.wav")
        run(sox,
            QStringList { u"-n"_s, u"-r"_s, u"48000"_s, u"-c"_s, u"2"_s, u"-b"_s, u"32"_s, u"-e"_s,
                u"floating-point"_s, path }
                + tone);
    else if (name == u"sweep.wav") // 50 s, every moment sounding different
        run(sox,
            { u"-n"_s, u"-r"_s, u"22050"_s, u"-c"_s, u"1"_s, u"-b"_s, u"16"_s, path, u"synth"_s,
                u"50"_s, u"sine"_s, u"100-4000"_s, u"vol"_s, u"0.5"_s });
    else if (name == u"sweep.mp3") // without an encoder header, 1 900 MPEG frames
        run(u"lame"_s,
            { u"--quiet"_s, u"-t"_s, u"-b"_s, u"32"_s, audioFixture(u"sweep.wav"_s), path });
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
    const std::unique_ptr<AudioDecoder> decoder = AudioDecoder::open(path);
    std::vector<qint16> buffer(4096 * static_cast<std::size_t>(decoder->channels()));
    long long frames = 0;
    qint64 got = 0;
    while ((got = decoder->readFrames(buffer.data(), 4096)) > 0)
        frames += got;
    return frames;
}

} // namespace ecolvar::test
