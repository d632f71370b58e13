#pragma once

#include "richtext/rvdocument.h"
#include "richtext/rvstyle.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>

namespace ecolvar::test {

// Bytes written down as numbers (one byte each) and ASCII strings.
class Bytes : public QByteArray {
public:
    Bytes& operator<<(int byte)
    {
        append(char(byte));
        return *this;
    }
    Bytes& operator<<(const char* ascii)
    {
        append(ascii);
        return *this;
    }
    Bytes& operator<<(const QByteArray& bytes)
    {
        append(bytes);
        return *this;
    }
};

// One length byte, then the ASCII bytes: property names, short strings and identifiers.
QByteArray shortString(const char* ascii);
QByteArray le32(quint32 value);

// A style block record of the given block kind holding stream as its binary block.
QByteArray styleBlock(int blockKind, const QByteArray& stream, const char* sheetName = "RVStyle3");
// The version record and the three style blocks of a pane's style sheet as designed.
QByteArray designHead();

struct Loaded {
    bool ok = false;
    QString error;
    RVDocument doc;
    TRVStyle style;
};
Loaded load(const QByteArray& bytes, const TRVStyle& style = englishPaneStyle());
// Fails the test when the writer refuses the document.
QByteArray save(const RVDocument& doc, const TRVStyle& style = englishPaneStyle());

} // namespace ecolvar::test
