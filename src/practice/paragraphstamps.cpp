#include "paragraphstamps.h"

#include "lyricsfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// The digits of text from index at; how many.
qsizetype digitsAt(QStringView text, qsizetype at)
{
    qsizetype n = 0;
    while (at + n < text.size() && text[at + n].isDigit() && text[at + n].unicode() < 128)
        ++n;
    return n;
}

// Lyrics and subtitle files are small; anything larger is not one.
constexpr qint64 maxLyricsBytes = 16 * 1024 * 1024;

} // namespace

std::optional<ParagraphStamp> paragraphStamp(QStringView paragraph)
{
    if (!paragraph.startsWith(u'['))
        return std::nullopt;
    qsizetype at = 1;
    const qsizetype minutes = digitsAt(paragraph, at);
    if (minutes == 0 || minutes > 5 || at + minutes >= paragraph.size()
        || paragraph[at + minutes] != u':')
        return std::nullopt;
    const qint64 mm = paragraph.sliced(at, minutes).toLongLong();
    at += minutes + 1;
    if (digitsAt(paragraph, at) != 2)
        return std::nullopt;
    const int ss = paragraph.sliced(at, 2).toInt();
    at += 2;
    if (ss >= 60 || at >= paragraph.size())
        return std::nullopt;
    int fraction = 0;
    if (paragraph[at] == u'.') {
        const qsizetype digits = digitsAt(paragraph, at + 1);
        if (digits == 0 || digits > 3)
            return std::nullopt;
        const int value = paragraph.sliced(at + 1, digits).toInt();
        fraction = digits == 1 ? value * 100 : digits == 2 ? value * 10 : value;
        at += 1 + digits;
    }
    if (at >= paragraph.size() || paragraph[at] != u']')
        return std::nullopt;
    return ParagraphStamp { (mm * 60 + ss) * 1000 + fraction, at + 1 };
}

QString stampText(qint64 ms)
{
    ms = std::max<qint64>(ms, 0);
    const qint64 centis = ms / 10;
    return u"[%1:%2.%3]"_s.arg(centis / 6000, 2, 10, QChar(u'0'))
        .arg(centis / 100 % 60, 2, 10, QChar(u'0'))
        .arg(centis % 100, 2, 10, QChar(u'0'));
}

QStringList stampedParagraphs(const QList<Sentence>& sentences, qint64 offsetMs)
{
    QStringList paragraphs;
    paragraphs.reserve(sentences.size());
    for (const Sentence& sentence : sentences) {
        // A subtitle's lines make one paragraph.
        QString text = sentence.text;
        text.replace(u'\n', u' ');
        paragraphs.append(QString(stampText(sentence.startMs + offsetMs) + u' ' + text).trimmed());
    }
    return paragraphs;
}

ImportedLyrics readLyricsFile(const QString& path, int lengthMs)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { {}, u"无法打开“%1”：%2"_s.arg(name, file.errorString()) };
    if (file.size() > maxLyricsBytes)
        return { {}, u"“%1”太大，不是歌词或字幕文件"_s.arg(name) };
    const QByteArray bytes = file.readAll();
    const bool srt = QFileInfo(path).suffix().compare(u"srt"_s, Qt::CaseInsensitive) == 0;
    const std::optional<QList<Sentence>> sentences
        = srt ? readSrt(bytes, lengthMs) : readLrc(bytes, lengthMs);
    if (!sentences || sentences->isEmpty())
        return { {}, u"“%1”里没有可用的时间标记"_s.arg(name) };
    return { *sentences, {} };
}

void ParagraphStamps::setStamps(const QList<std::optional<qint64>>& stamps)
{
    m_sorted.clear();
    for (qsizetype i = 0; i < stamps.size(); ++i) {
        if (stamps[i])
            m_sorted.append({ *stamps[i], int(i) });
    }
    std::stable_sort(m_sorted.begin(), m_sorted.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; });
}

int ParagraphStamps::paragraphAt(qint64 ms) const
{
    auto after = std::upper_bound(m_sorted.begin(), m_sorted.end(), ms,
        [](qint64 value, const auto& entry) { return value < entry.first; });
    if (after == m_sorted.begin())
        return -1;
    const qint64 stamp = std::prev(after)->first;
    const auto first = std::lower_bound(m_sorted.begin(), after, stamp,
        [](const auto& entry, qint64 value) { return entry.first < value; });
    return first->second;
}

} // namespace ecolvar
