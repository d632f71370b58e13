#include "richtexttest.h"

#include "transcripts/transcriptfile.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar::test {

QString describe(const RVDocument& doc)
{
    QString out;
    for (qsizetype i = 0; i < doc.Items.size(); ++i) {
        const RVItem& item = doc.Items[i];
        if (i > 0)
            out += item.continuesParagraph() ? u" "_s : item.Options & rvioBR ? u" / "_s : u" | "_s;
        if (!item.isText()) {
            out += u"[record %1]"_s.arg(item.Kind);
            continue;
        }
        out += u"[%1:%2"_s.arg(item.StyleNo).arg(item.Text);
        if (item.Tag)
            out += u"#"_s + *item.Tag;
        out += u"]"_s;
    }
    return out;
}

QByteArray transcriptBytes(const RVDocument& doc, const TRVStyle& style)
{
    QString error;
    const std::optional<QByteArray> bytes = writeTranscript(doc, style, &error);
    EXPECT_TRUE(bytes.has_value()) << error.toStdString();
    return bytes.value_or(QByteArray());
}

RVDocument workedExample()
{
    RVDocument doc;
    doc.Items = {
        RVItem::text(u"Lesson one"_s, 1, 1),
        RVItem::text(u"This is a "_s, 0, 0),
        RVItem::text(u"dialogue"_s, 4, -1, u"first<kelmor>second"_s),
        RVItem::text(u" about travel."_s, 0, -1),
    };
    return doc;
}

RVItem pictureItem(const QByteArray& data, int paraNo)
{
    RVItem item;
    item.Kind = rvrkPicture;
    item.ParaNo = paraNo;
    item.Options = paraNo < 0 ? rvioSameAsPrev : 0;
    QByteArray record = "smile\r\nTPicture\r\n";
    const quint32 n = quint32(data.size());
    record.append(char(n & 0xFF)).append(char((n >> 8) & 0xFF));
    record.append(char((n >> 16) & 0xFF)).append(char((n >> 24) & 0xFF));
    record.append(data);
    item.Record = std::make_shared<const RVRecord>(RVRecord { 2, 3, {}, record });
    return item;
}

} // namespace ecolvar::test
