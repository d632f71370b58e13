#include "sentences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

int SentenceMarks::indexAt(int ms) const
{
    if (sentences.isEmpty())
        return -1;
    auto after = std::upper_bound(sentences.cbegin(), sentences.cend(), ms,
        [](int value, const Sentence& s) { return value < s.startMs; });
    return std::max(0, int(after - sentences.cbegin()) - 1);
}

QList<int> SentenceMarks::starts() const
{
    QList<int> result;
    result.reserve(sentences.size());
    for (const Sentence& s : sentences)
        result.append(s.startMs);
    return result;
}

QString sourceName(SentenceSource source)
{
    switch (source) {
    case SentenceSource::Lrc:
        return u"lrc"_s;
    case SentenceSource::Srt:
        return u"srt"_s;
    case SentenceSource::Pauses:
        break;
    }
    return u"pauses"_s;
}

QList<Sentence> sentencesFromStarts(QList<Sentence> starts, int lengthMs)
{
    std::stable_sort(starts.begin(), starts.end(),
        [](const Sentence& a, const Sentence& b) { return a.startMs < b.startMs; });
    QList<Sentence> result;
    for (Sentence& s : starts) {
        if (s.startMs < 0 || (lengthMs > 0 && s.startMs >= lengthMs))
            continue;
        if (!result.isEmpty() && result.last().startMs == s.startMs)
            continue;
        result.append(std::move(s));
    }
    for (qsizetype i = 0; i < result.size(); ++i) {
        const bool last = i + 1 == result.size();
        result[i].endMs = !last ? result[i + 1].startMs
            : lengthMs > 0      ? lengthMs
                                : result[i].startMs;
    }
    return result;
}

QByteArray marksToJson(const SentenceMarks& marks)
{
    QJsonArray sentences;
    for (const Sentence& s : marks.sentences) {
        sentences.append(QJsonObject {
            { u"startMs"_s, s.startMs },
            { u"endMs"_s, s.endMs },
            { u"text"_s, s.text },
        });
    }
    const QJsonObject root {
        { u"source"_s, sourceName(marks.source) },
        { u"lengthMs"_s, marks.lengthMs },
        { u"sentences"_s, sentences },
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {

QString srtTime(int ms)
{
    return u"%1:%2:%3,%4"_s.arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

QByteArray marksToSrt(const SentenceMarks& marks)
{
    QString out;
    int number = 0;
    for (const Sentence& s : marks.sentences) {
        QString text = s.text;
        text.replace(u"\r\n"_s, u"\n"_s);
        // A blank line would end the cue early.
        QStringList lines = text.split(u'\n');
        lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
        out += QString::number(++number) + u"\r\n"_s + srtTime(s.startMs) + u" --> "_s
            + srtTime(s.endMs) + u"\r\n"_s + lines.join(u"\r\n"_s) + u"\r\n\r\n"_s;
    }
    return out.toUtf8();
}

} // namespace ecolvar
