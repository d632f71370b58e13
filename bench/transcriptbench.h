#pragma once

// What the transcript benchmarks share: a generated transcript and the process's memory figures.

#include "richtext/rvdocument.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace ecolvar::bench {

using namespace Qt::StringLiterals;

// A figure from /proc/self/status in kilobytes (VmRSS, VmHWM).
inline qint64 statusKB(const char* field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// About bytes of transcript: paragraphs of one sentence, every seventh a heading, every tenth
// with an annotated word.
inline RVDocument makeDocument(qint64 bytes)
{
    const QString words = u"The learner listens to the passage again and writes down each word "_s;
    RVDocument doc;
    qint64 size = 0;
    for (int n = 0; size < bytes; ++n) {
        const QString text = words + QString::number(n);
        if (n % 10 == 9) {
            doc.Items.append(RVItem::text(u"Before the word "_s, 0, 0));
            doc.Items.append(RVItem::text(u"dialogue"_s, 4, -1, u"first<kelmor>second"_s));
            doc.Items.append(RVItem::text(u" "_s + text, 0, -1));
            size += text.size() + 103;
        } else {
            doc.Items.append(RVItem::text(text, 0, n % 7 == 0 ? 1 : 0));
            size += text.size() + 15;
        }
    }
    return doc;
}

} // namespace ecolvar::bench
