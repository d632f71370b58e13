#pragma once

#include "richtext/rvdocument.h"
#include "richtext/rvstyle.h"

#include <QByteArray>
#include <QString>

namespace ecolvar::test {

// The items as one line: [style:text#tag] per item, " " before an item that continues its
// paragraph, " / " before one that starts a line inside it, " | " before a new paragraph.
// Other items show as [record <kind>].
QString describe(const RVDocument& doc);

// The transcript bytes of doc with the English pane's style sheet; fails the test when the
// writer refuses it.
QByteArray transcriptBytes(const RVDocument& doc, const TRVStyle& style = englishPaneStyle());

// The worked example: a centred heading "Lesson one", then a paragraph "This is a dialogue
// about travel." whose word "dialogue" is annotated (style 4) with "first<kelmor>second".
RVDocument workedExample();

// A picture record holding data as its picture (binary block).
RVItem pictureItem(const QByteArray& data, int paraNo = -1);

} // namespace ecolvar::test
