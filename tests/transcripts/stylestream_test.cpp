#include "transcripts/stylestream.h"

#include "transcripttest.h"

#include "qtprinters.h"

#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;
using ecolvar::test::Bytes;
using ecolvar::test::shortString;

namespace {

// A property named name whose value is an ASCII string of type 6.
QByteArray asciiProperty(const char* name, const char* value)
{
    return Bytes() << shortString(name) << 6 << shortString(value);
}

QByteArray identProperty(const char* name, const char* ident)
{
    return Bytes() << shortString(name) << 7 << shortString(ident);
}

// The item of one design-time text style: its name and font, then the style set, colour and
// jump flag where they differ from the defaults.
QByteArray designTextItem(const char* name, const char* fontStyle = nullptr,
    const char* colour = nullptr, bool jump = false)
{
    Bytes item;
    item << 1 << asciiProperty("StyleName", name) << asciiProperty("FontName", "Arial");
    if (fontStyle)
        item << shortString("Style") << 11 << shortString(fontStyle) << 0;
    if (colour)
        item << identProperty("Color", colour);
    if (jump)
        item << shortString("Jump") << 9;
    return item << 0;
}

// A stream of one item holding the given properties.
QByteArray oneItem(const QByteArray& properties)
{
    return Bytes() << 14 << 1 << properties << 0 << 0;
}

template <class Style> QList<Style> decoded(const QByteArray& stream)
{
    QList<Style> styles;
    QString error;
    EXPECT_TRUE(decodeStyles(stream, styles, &error)) << error.toStdString();
    return styles;
}

TFontInfo decodedText(const QByteArray& properties)
{
    const QList<TFontInfo> styles = decoded<TFontInfo>(oneItem(properties));
    EXPECT_EQ(styles.size(), 1);
    return styles.value(0);
}

QByteArray encodedText(const TFontInfo& style)
{
    return encodeStyles(QList<TFontInfo> { style });
}

} // namespace

TEST(StyleStream, DesignTextStylesEncodeTo403ExactBytesAndBack)
{
    const QByteArray expected = Bytes()
        << 14 << designTextItem("Normal text") << designTextItem("Heading", "fsBold", "clBlue")
        << designTextItem("Subheading", "fsBold", "clNavy")
        << designTextItem("Keywords", "fsItalic", "clMaroon")
        << designTextItem("Jump 1", "fsUnderline", "clGreen", true)
        << designTextItem("Jump 2", "fsUnderline", "clGreen", true) << 0;
    const QByteArray stream = encodeStyles(designTextStyles());
    EXPECT_EQ(stream.size(), 403);
    EXPECT_EQ(stream, expected);
    EXPECT_EQ(decoded<TFontInfo>(stream), designTextStyles());
}

TEST(StyleStream, HeadingItemHasExactlyItsBytes)
{
    const QByteArray heading = Bytes()
        << 1 << 9 << "StyleName" << 6 << 7 << "Heading" << 8 << "FontName" << 6 << 5 << "Arial" << 5
        << "Style" << 11 << 6 << "fsBold" << 0 << 5 << "Color" << 7 << 6 << "clBlue" << 0;
    const QByteArray stream = encodeStyles(designTextStyles());
    // After the 14 and the 41 bytes of style 0.
    EXPECT_EQ(stream.mid(42, heading.size()), heading);
}

TEST(StyleStream, DesignParaStylesEncodeTo88ExactBytesAndBack)
{
    const QByteArray expected = Bytes()
        << 14 << 1 << asciiProperty("StyleName", "Paragraph Style") << shortString("Tabs") << 14
        << 0 << 0 << 1 << asciiProperty("StyleName", "Centered")
        << identProperty("Alignment", "rvaCenter") << shortString("Tabs") << 14 << 0 << 0 << 0;
    const QByteArray stream = encodeStyles(designParaStyles());
    EXPECT_EQ(stream.size(), 88);
    EXPECT_EQ(stream, expected);
    EXPECT_EQ(decoded<TParaInfo>(stream), designParaStyles());
}

TEST(StyleStream, EmptyCollectionIsTheBytes14And0)
{
    const QByteArray stream = encodeStyles(QList<TRVListInfo>());
    EXPECT_EQ(stream, QByteArray("\x0e\x00", 2));
    EXPECT_TRUE(decoded<TRVListInfo>(stream).isEmpty());
}

TEST(StyleStream, DefaultSizeAndCharsetAreOmittedOthersWrittenByName)
{
    TFontInfo style;
    style.StyleName.clear();
    style.FontName.clear();
    EXPECT_EQ(encodedText(style), QByteArray("\x0e\x01\x00\x00", 4));

    style.Size = 12;
    style.Charset = 134;
    EXPECT_EQ(encodedText(style),
        oneItem(Bytes() << identProperty("Charset", "GB2312_CHARSET") << shortString("Size") << 2
                        << 12));
    style.Charset = 3; // no name
    EXPECT_EQ(encodedText(style),
        oneItem(Bytes() << shortString("Charset") << 2 << 3 << shortString("Size") << 2 << 12));
}

TEST(StyleStream, ColourWithoutNameIsAFourByteInteger)
{
    TFontInfo style;
    style.StyleName.clear();
    style.FontName.clear();
    style.Color = 16709848;
    EXPECT_EQ(encodedText(style),
        oneItem(Bytes() << shortString("Color") << 4 << 0xD8 << 0xF8 << 0xFE << 0x00));
    EXPECT_EQ(
        decodedText(Bytes() << shortString("Color") << 4 << 0xD8 << 0xF8 << 0xFE << 0x00).Color,
        16709848);
}

TEST(StyleStream, IntegersTakeTheSmallestType)
{
    TFontInfo style;
    style.StyleName.clear();
    style.FontName.clear();
    style.VShift = -200;
    style.CharSpacing = 100000;
    style.BaseStyleNo = -128;
    EXPECT_EQ(encodedText(style),
        oneItem(Bytes() << shortString("BaseStyleNo") << 2 << 0x80 << shortString("VShift") << 3
                        << 0x38 << 0xFF << shortString("CharSpacing") << 4 << 0xA0 << 0x86 << 0x01
                        << 0x00));
    const TFontInfo back = decoded<TFontInfo>(encodedText(style)).value(0);
    EXPECT_EQ(back.VShift, -200);
    EXPECT_EQ(back.CharSpacing, 100000);
    EXPECT_EQ(back.BaseStyleNo, -128);
}

TEST(StyleStream, StringsTakeTheirTypeByContent)
{
    TFontInfo style;
    style.FontName.clear();
    style.StyleName = u"标题"_s;
    EXPECT_EQ(encodedText(style),
        oneItem(Bytes() << shortString("StyleName") << 18 << test::le32(2) << 0x07 << 0x68 << 0x98
                        << 0x98));

    style.StyleName = u"Café crème"_s; // UTF-8 shorter than twice the UTF-16 units
    const QByteArray utf8 = style.StyleName.toUtf8();
    EXPECT_EQ(encodedText(style),
        oneItem(
            Bytes() << shortString("StyleName") << 20 << test::le32(quint32(utf8.size())) << utf8));

    style.StyleName = QString(300, u'x');
    EXPECT_EQ(encodedText(style),
        oneItem(
            Bytes() << shortString("StyleName") << 12 << test::le32(300) << QByteArray(300, 'x')));

    for (const QString& name : { u"标题"_s, u"Café crème"_s, QString(300, u'x') }) {
        style.StyleName = name;
        EXPECT_EQ(decoded<TFontInfo>(encodedText(style)).value(0).StyleName, name);
    }
}

TEST(StyleStream, GbkBytesOfAShortStringDecodeToText)
{
    EXPECT_EQ(
        decodedText(Bytes() << shortString("FontName") << 6 << 4 << 0xCB << 0xCE << 0xCC << 0xE5)
            .FontName,
        u"宋体"_s);
}

TEST(StyleStream, UnknownPropertiesAreSkipped)
{
    const TFontInfo style = decodedText(Bytes()
        << shortString("FutureNumber") << 4 << 1 << 2 << 3 << 4 << shortString("FutureList") << 1
        << 2 << 5 << 6 << 3 << "abc" << 0 << shortString("FutureCollection") << 14 << 1
        << shortString("Inner") << 9 << 0 << 0 << shortString("Size") << 2 << 14
        << shortString("Border.Width") << 2 << 3 << asciiProperty("StyleName", "Later"));
    EXPECT_EQ(style.Size, 14);
    EXPECT_EQ(style.StyleName, u"Later"_s);
}

TEST(StyleStream, UnconvertibleValuesAreSkipped)
{
    const TFontInfo style = decodedText(Bytes()
        << identProperty("Size", "Large") << identProperty("Color", "clMauve")
        << shortString("Style") << 11 << shortString("fsBold") << shortString("fsShadow") << 0
        << shortString("Jump") << 2 << 1 << shortString("StyleName") << 2 << 5
        << shortString("Unicode") << 9 << identProperty("BiDiMode", "rvbdRightToLeft"));
    const TFontInfo defaults;
    EXPECT_EQ(style.Size, defaults.Size);
    EXPECT_EQ(style.Color, defaults.Color);
    EXPECT_EQ(style.Style, defaults.Style);
    EXPECT_EQ(style.Jump, defaults.Jump);
    EXPECT_EQ(style.StyleName, defaults.StyleName);
    EXPECT_TRUE(style.Unicode);
    EXPECT_EQ(style.BiDiMode, rvbdRightToLeft);
}

TEST(StyleStream, OtherValueTypesAreSkippedByTheirLength)
{
    const TFontInfo style = decodedText(Bytes()
        << shortString("Size") << 5 << QByteArray(10, '\x11') << shortString("Size") << 10
        << test::le32(3) << "abc" << shortString("Size") << 13 << shortString("Size") << 15
        << QByteArray(4, '\x22') << shortString("Size") << 16 << QByteArray(8, '\x33')
        << shortString("Size") << 17 << QByteArray(8, '\x44') << shortString("Size") << 19
        << QByteArray(8, '\x55') << shortString("CharScale") << 2 << 50);
    EXPECT_EQ(style.Size, 10);
    EXPECT_EQ(style.CharScale, 50);
}

TEST(StyleStream, NamesOfColoursCharsetsAndCursorsAreRead)
{
    const TFontInfo style = decodedText(Bytes()
        << identProperty("HoverColor", "clMoneyGreen") << identProperty("BackColor", "clInfoBk")
        << identProperty("Charset", "RUSSIAN_CHARSET") << identProperty("JumpCursor", "crHandPoint")
        << shortString("Size") << 3 << 0x2C << 0x01);
    EXPECT_EQ(style.HoverColor, rgbColor(192, 220, 192));
    EXPECT_EQ(style.BackColor, systemColor(24));
    EXPECT_EQ(style.Charset, 204);
    EXPECT_EQ(style.JumpCursor, -21);
    EXPECT_EQ(style.Size, 300);
}

TEST(StyleStream, AnIntegerBeforeAnItemIsIgnored)
{
    const QList<TFontInfo> styles = decoded<TFontInfo>(Bytes()
        << 14 << 2 << 7 << 1 << shortString("Size") << 2 << 9 << 0 << 3 << 1 << 0 << 1 << 0 << 0);
    ASSERT_EQ(styles.size(), 2);
    EXPECT_EQ(styles[0].Size, 9);
    EXPECT_EQ(styles[1], TFontInfo());
}

TEST(StyleStream, ParagraphStyleWithNestedObjectsAndTabsRoundTrips)
{
    TParaInfo para;
    para.StyleName = u"Boxed"_s;
    para.FirstIndent = 20;
    para.Border.Style = rvbDouble;
    para.Border.Color = clNone;
    para.Border.VisibleBorders.Left = false;
    para.Border.BorderOffsets.Bottom = 4;
    para.Background.Color = rgbColor(1, 2, 3);
    para.Background.BorderOffsets.Top = -300;
    para.LineSpacingType = rvlsSpaceBetween;
    para.Options = 1u | 32u; // rvpaoNoWrap, rvpaoKeepWithNext
    para.Tabs = { TRVTabInfo { rvtaLeft, 0, QString() }, TRVTabInfo { rvtaCenter, 720, u"."_s } };
    para.ModifiedProperties1 = 1u << 26;
    const QByteArray stream = encodeStyles(QList<TParaInfo> { para });
    for (const char* name : { "Border.Style", "Border.VisibleBorders.Left",
             "Border.BorderOffsets.Bottom", "Background.BorderOffsets.Top", "Position" })
        EXPECT_TRUE(stream.contains(shortString(name))) << name;
    EXPECT_FALSE(stream.contains(shortString("Border.VisibleBorders.Right")));
    EXPECT_EQ(decoded<TParaInfo>(stream), QList<TParaInfo> { para });
}

TEST(StyleStream, ListStyleWithLevelsRoundTrips)
{
    TRVListInfo list;
    list.StyleName = u"Numbers"_s;
    TRVListLevel level;
    level.ListType = rvlstDecimal;
    level.StartFrom = 3;
    level.Options = rvloLegalStyleNumbering;
    list.Levels = { level, TRVListLevel() };
    list.OneLevelPreview = true;
    EXPECT_EQ(decoded<TRVListInfo>(encodeStyles(QList<TRVListInfo> { list, TRVListInfo() })),
        (QList<TRVListInfo> { list, TRVListInfo() }));
}

TEST(StyleStream, MalformedStreamsFailWithoutStyles)
{
    const QByteArray design = encodeStyles(designTextStyles());
    for (qsizetype n = 0; n < design.size(); ++n) {
        QList<TFontInfo> styles { TFontInfo() };
        EXPECT_FALSE(decodeStyles(design.left(n), styles)) << "cut at " << n;
        EXPECT_TRUE(styles.isEmpty());
    }
    const QList<QByteArray> bad {
        Bytes() << 1 << 0 << 0, // no 14
        Bytes() << 14 << 5 << 0, // neither an item nor the end
        Bytes() << 14 << 1 << shortString("Size") << 21 << 0 << 0, // unknown type byte
        Bytes() << 14 << 1 << shortString("StyleName") << 18 << test::le32(0x80000000u) << 0,
        Bytes() << 14 << 1 << shortString("StyleName") << 12 << test::le32(0xFFFFFFFFu) << 0,
    };
    for (const QByteArray& stream : bad) {
        QList<TFontInfo> styles;
        QString error;
        EXPECT_FALSE(decodeStyles(stream, styles, &error)) << stream.toHex().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(StyleStream, DeepNestingIsRefused)
{
    Bytes lists;
    lists << 14 << 1 << shortString("Deep");
    for (int i = 0; i < 100000; ++i)
        lists << 1;
    QList<TFontInfo> styles;
    QString error;
    EXPECT_FALSE(decodeStyles(lists, styles, &error));
    EXPECT_TRUE(error.contains(u"deep"_s)) << error.toStdString();

    Bytes collections;
    collections << 14;
    for (int i = 0; i < 100000; ++i)
        collections << 1 << shortString("Tabs") << 14;
    EXPECT_FALSE(decodeStyles(collections, styles, &error));
}

TEST(StyleStream, JsonNamesTheDifferingProperties)
{
    const QJsonArray json = stylesToJson(designTextStyles());
    ASSERT_EQ(json.size(), 6);
    const QJsonObject jump = json[4].toObject();
    EXPECT_EQ(jump.keys(),
        (QStringList { u"Color"_s, u"FontName"_s, u"Jump"_s, u"Style"_s, u"StyleName"_s }));
    EXPECT_EQ(jump[u"Color"_s].toInteger(), rgbColor(0, 128, 0));
    EXPECT_EQ(jump[u"Style"_s].toArray(), QJsonArray { u"fsUnderline"_s });
    EXPECT_TRUE(jump[u"Jump"_s].toBool());

    const QJsonArray paras = stylesToJson(designParaStyles());
    EXPECT_EQ(paras[1].toObject(),
        (QJsonObject { { u"StyleName"_s, u"Centered"_s }, { u"Alignment"_s, u"rvaCenter"_s } }));
}
