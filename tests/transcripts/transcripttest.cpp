#include "transcripttest.h"

#include "transcripts/stylestream.h"
#include "transcripts/transcriptfile.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ecolvar::test {

QByteArray shortString(const char* ascii)
{
    return Bytes() << int(std::strlen(ascii)) << ascii;
}

QByteArray le32(quint32 value)
{
    return Bytes() << int(value & 0xFF) << int((value >> 8) & 0xFF) << int((value >> 16) & 0xFF)
                   << int(value >> 24);
}

QByteArray styleBlock(int blockKind, const QByteArray& stream, const char* sheetName)
{
    return Bytes() << "-9 2 0 0 2 0 " << QByteArray::number(blockKind) << "\r\n"
                   << sheetName << "\r\n"
                   << le32(quint32(stream.size())) << stream;
}

QByteArray designHead()
{
    return Bytes() << "-8 1 3\r\n"
                   << styleBlock(1, encodeStyles(designTextStyles()))
                   << styleBlock(2, encodeStyles(designParaStyles()))
                   << styleBlock(4, Bytes() << 14 << 0);
}

Loaded load(const QByteArray& bytes, const TRVStyle& style)
{
    Loaded loaded;
    loaded.style = style;
    loaded.ok = readTranscript(bytes, loaded.doc, loaded.style, &loaded.error);
    return loaded;
}

QByteArray save(const RVDocument& doc, const TRVStyle& style)
{
    QString error;
    const std::optional<QByteArray> bytes = writeTranscript(doc, style, &error);
    EXPECT_TRUE(bytes.has_value()) << error.toStdString();
    return bytes.value_or(QByteArray());
}

} // namespace ecolvar::test
