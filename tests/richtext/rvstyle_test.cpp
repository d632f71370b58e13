#include "richtext/rvstyle.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

TEST(RVStyle, NewStylesHaveTheirNamesFontAndDefaults)
{
    const TFontInfo text;
    EXPECT_EQ(text.StyleName, u"Font Style"_s);
    EXPECT_EQ(text.FontName, u"Arial"_s);
    EXPECT_EQ(text.Size, 10);
    EXPECT_EQ(text.Charset, 1);
    EXPECT_EQ(text.Color, static_cast<TColor>(0xFF000008u));
    EXPECT_EQ(text.BackColor, 536870911);
    EXPECT_EQ(text.JumpCursor, 101);
    EXPECT_EQ(text.CharScale, 100);
    EXPECT_TRUE(text.Standard);

    const TParaInfo para;
    EXPECT_EQ(para.StyleName, u"Paragraph Style"_s);
    EXPECT_EQ(para.LineSpacing, 100);
    EXPECT_EQ(para.Border.Width, 1);
    EXPECT_TRUE(para.Border.VisibleBorders.Bottom);
    EXPECT_EQ(para.Background.Color, clNone);

    const TRVListLevel level;
    EXPECT_EQ(level.StartFrom, 1);
    EXPECT_EQ(level.FirstIndent, 10);
    EXPECT_EQ(level.Options, rvloContinuous | rvloLevelReset);
}

TEST(RVStyle, PaneStyleSheetsAsDesigned)
{
    const TRVStyle english = englishPaneStyle();
    const TRVStyle chinese = chinesePaneStyle();
    EXPECT_EQ(english.Name, u"RVStyle3"_s);
    EXPECT_EQ(chinese.Name, u"RVStyle4"_s);
    // The stored colour's bytes are red, green, blue from the lowest.
    EXPECT_EQ(english.Color, rgbColor(216, 248, 254));
    EXPECT_EQ(english.Color, 16709848);
    EXPECT_EQ(chinese.Color, rgbColor(216, 216, 254));
    EXPECT_EQ(chinese.Color, 16701656);
    EXPECT_EQ(english.TextStyles, chinese.TextStyles);
    EXPECT_EQ(english.ParaStyles, chinese.ParaStyles);
    EXPECT_TRUE(english.ListStyles.isEmpty());

    const QList<TFontInfo>& t = english.TextStyles;
    ASSERT_EQ(t.size(), 6);
    const QStringList names { u"Normal text"_s, u"Heading"_s, u"Subheading"_s, u"Keywords"_s,
        u"Jump 1"_s, u"Jump 2"_s };
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(t[i].StyleName, names[i]);
        EXPECT_EQ(t[i].FontName, u"Arial"_s);
        EXPECT_EQ(t[i].Size, 10);
        EXPECT_EQ(t[i].Jump, i >= 4);
    }
    EXPECT_EQ(t[0].Style, 0u);
    EXPECT_EQ(t[0].Color, clWindowText);
    EXPECT_EQ(t[1].Style, quint32(fsBold));
    EXPECT_EQ(t[1].Color, rgbColor(0, 0, 255));
    EXPECT_EQ(t[2].Color, rgbColor(0, 0, 128));
    EXPECT_EQ(t[3].Style, quint32(fsItalic));
    EXPECT_EQ(t[3].Color, rgbColor(128, 0, 0));
    EXPECT_EQ(t[4].Style, quint32(fsUnderline));
    EXPECT_EQ(t[4].Color, rgbColor(0, 128, 0));
    EXPECT_EQ(t[4], [&] {
        TFontInfo jump2 = t[5];
        jump2.StyleName = u"Jump 1"_s;
        return jump2;
    }());

    ASSERT_EQ(english.ParaStyles.size(), 2);
    EXPECT_EQ(english.ParaStyles[0], TParaInfo());
    EXPECT_EQ(english.ParaStyles[1].StyleName, u"Centered"_s);
    EXPECT_EQ(english.ParaStyles[1].Alignment, rvaCenter);
}
