// ecolvar-sentences AUDIO [--srt OUT]: prints the sentence marks the player uses for an audio
// file as JSON and, with --srt, writes them as a subtitle file.
//
// Exit status: 0 when done; 1 when a lyrics or subtitle file beside the audio was unusable and
// the pauses were used; 2 for a usage error, an audio file that cannot be read or an OUT that
// cannot be written.

#include "core/ecolvarerror.h"
#include "practice/sentencefinder.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

int usage()
{
    std::fputs("usage: ecolvar-sentences AUDIO [--srt OUT]\n", stderr);
    return 2;
}

void printError(const QString& text)
{
    std::fprintf(stderr, "ecolvar-sentences: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString srtOut;
    if (const qsizetype at = args.indexOf(u"--srt"_s); at >= 0) {
        if (at + 1 >= args.size())
            return usage();
        srtOut = args.takeAt(at + 1);
        args.removeAt(at);
    }
    if (args.size() != 1 || args.first().startsWith(u'-'))
        return usage();
    const QString audioPath = args.first();

    std::optional<AudioLevels> levels;
    try {
        levels = measureAudioLevels(audioPath);
    } catch (const EcolvarError& e) {
        printError(e.text());
        return 2;
    }
    const LyricsMarks lyrics = marksFromLyricsFiles(audioPath, levels->lengthMs);
    const SentenceMarks marks = lyrics.marks ? *lyrics.marks : marksFromLevels(*levels);
    const int status = lyrics.marks || lyrics.unusableFile.isEmpty() ? 0 : 1;
    if (status == 1)
        printError(unusableLyricsText(lyrics.unusableFile));

    if (!srtOut.isEmpty()) {
        QSaveFile out(srtOut);
        if (!out.open(QIODevice::WriteOnly) || out.write(marksToSrt(marks)) < 0 || !out.commit()) {
            printError(u"%1: %2"_s.arg(srtOut, out.errorString()));
            return 2;
        }
    }
    const QByteArray json = marksToJson(marks);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return status;
}
