#include "lyricsfile.h"

#include <QRegularExpression>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace ecolvar {

QString decodeLyricsText(QByteArrayView bytes)
{
    static constexpr char bom[] = "\xEF\xBB\xBF";
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.sliced(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    return gbk.decode(bytes);
}

namespace {

QStringList textLines(QByteArrayView bytes)
{
    QString text = decodeLyricsText(bytes);
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text.split(u'\n');
}

// Milliseconds of a fraction of a second written with 1 to 3 digits ("5" = 500, "05" = 50).
int fractionMs(QStringView digits)
{
    if (digits.isEmpty())
        return 0;
    const int value = digits.left(3).toInt();
    return digits.size() == 1 ? value * 100 : digits.size() == 2 ? value * 10 : value;
}

} // namespace

std::optional<QList<Sentence>> readLrc(QByteArrayView bytes, int lengthMs)
{
    // A time stamp: minutes, seconds, and a fraction after "." or ":".
    static const QRegularExpression stampRe(
        u"^\\[(\\d{1,4}):(\\d{1,2})(?:[.:](\\d{1,3})\\d*)?\\]"_s);
    static const QRegularExpression offsetRe(
        u"^\\[offset:\\s*([+-]?\\d{1,9})\\s*\\]"_s, QRegularExpression::CaseInsensitiveOption);

    struct Stamped {
        qint64 stampMs;
        QString text;
    };
    QList<Stamped> stamped;
    qint64 offsetMs = 0;
    for (const QString& line : textLines(bytes)) {
        QStringView rest = QStringView(line).trimmed();
        QList<qint64> stamps;
        while (rest.startsWith(u'[')) {
            if (const auto m = stampRe.match(rest); m.hasMatch()) {
                const qint64 ms = m.capturedView(1).toLongLong() * 60000
                    + m.capturedView(2).toInt() * 1000 + fractionMs(m.capturedView(3));
                stamps.append(ms);
                rest = rest.sliced(m.capturedLength());
            } else if (const auto o = offsetRe.match(rest); o.hasMatch()) {
                offsetMs = o.capturedView(1).toLongLong();
                rest = rest.sliced(o.capturedLength());
            } else {
                break; // another tag ([ti:...], [ar:...]) or text starting with "["
            }
        }
        if (stamps.isEmpty())
            continue;
        const QString text = rest.trimmed().toString();
        for (qint64 ms : stamps)
            stamped.append({ ms, text });
    }

    // A positive offset shows the lines earlier; it applies to every stamp of the file.
    QList<Sentence> starts;
    for (const Stamped& s : stamped) {
        const qint64 ms = std::max<qint64>(0, s.stampMs - offsetMs);
        if (ms <= std::numeric_limits<int>::max())
            starts.append({ int(ms), 0, s.text });
    }
    QList<Sentence> sentences = sentencesFromStarts(std::move(starts), lengthMs);
    if (sentences.isEmpty())
        return std::nullopt;
    return sentences;
}

std::optional<QList<Sentence>> readSrt(QByteArrayView bytes, int lengthMs)
{
    static const QRegularExpression timeRe(
        u"^\\s*(\\d{1,3}):(\\d{1,2}):(\\d{1,2})[,.](\\d{1,3})\\s*-->\\s*"
        u"(\\d{1,3}):(\\d{1,2}):(\\d{1,2})[,.](\\d{1,3})"_s);

    QList<Sentence> starts;
    bool inCue = false;
    for (const QString& line : textLines(bytes)) {
        if (const auto m = timeRe.match(line); m.hasMatch()) {
            const int ms = m.capturedView(1).toInt() * 3600000 + m.capturedView(2).toInt() * 60000
                + m.capturedView(3).toInt() * 1000 + fractionMs(m.capturedView(4));
            starts.append({ ms, 0, QString() });
            inCue = true;
        } else if (line.trimmed().isEmpty()) {
            inCue = false; // a blank line ends the cue; the next block starts with its number
        } else if (inCue) {
            QString& text = starts.last().text;
            if (!text.isEmpty())
                text += u'\n';
            text += line.trimmed();
        }
    }
    QList<Sentence> sentences = sentencesFromStarts(std::move(starts), lengthMs);
    if (sentences.isEmpty())
        return std::nullopt;
    return sentences;
}

} // namespace ecolvar
