#include "richtext/rvdocument.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

TEST(RVDocument, ParagraphStyleOfContinuingItemsIsThatOfTheirParagraph)
{
    RVDocument doc;
    doc.Items = { RVItem::text(u"a"_s, 0, 1), RVItem::text(u"b"_s, 4, -1),
        RVItem::text(u"c"_s, 0, 0), RVItem::text(u"d"_s, 0, -1) };
    EXPECT_EQ(doc.paragraphStyleAt(0), 1);
    EXPECT_EQ(doc.paragraphStyleAt(1), 1);
    EXPECT_EQ(doc.paragraphStyleAt(3), 0);
    EXPECT_TRUE(doc.Items[1].continuesParagraph());
    EXPECT_EQ(doc.Items[1].Options, rvioSameAsPrev);
    EXPECT_EQ(doc.Items[2].Options, 0);
}

TEST(RVDocument, AbsentAndEmptyTagsDiffer)
{
    const RVItem none = RVItem::text(u"x"_s);
    const RVItem empty = RVItem::text(u"x"_s, 0, 0, QString());
    EXPECT_FALSE(none.Tag.has_value());
    EXPECT_TRUE(empty.Tag.has_value());
    EXPECT_NE(none, empty);
}

TEST(RVItem, EqualityComparesCheckpointsAndRecordsByValue)
{
    RVItem a = RVItem::text(u"x"_s);
    RVItem b = a;
    a.Checkpoint = std::make_shared<const RVCheckpoint>(
        RVCheckpoint { u"cp"_s, std::nullopt, false, false });
    EXPECT_NE(a, b);
    b.Checkpoint = std::make_shared<const RVCheckpoint>(*a.Checkpoint);
    EXPECT_EQ(a, b);
    b.Checkpoint
        = std::make_shared<const RVCheckpoint>(RVCheckpoint { u"cp"_s, std::nullopt, true, false });
    EXPECT_NE(a, b);

    RVItem p;
    p.Kind = rvrkPicture;
    RVItem q = p;
    p.Record = std::make_shared<const RVRecord>(RVRecord { 2, 3, "x", "data" });
    q.Record = std::make_shared<const RVRecord>(RVRecord { 2, 3, "x", "data" });
    EXPECT_EQ(p, q);
    q.Record = std::make_shared<const RVRecord>(RVRecord { 2, 3, "x", "date" });
    EXPECT_NE(p, q);
}
