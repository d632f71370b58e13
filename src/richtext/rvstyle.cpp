#include "richtext/rvstyle.h"

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

TFontInfo textStyle(const QString& name, quint32 fontStyle, TColor color, bool jump)
{
    TFontInfo style;
    style.StyleName = name;
    style.Style = fontStyle;
    style.Color = color;
    style.Jump = jump;
    return style;
}

TRVStyle paneStyle(const QString& name, TColor color)
{
    TRVStyle style;
    style.Name = name;
    style.Color = color;
    style.TextStyles = designTextStyles();
    style.ParaStyles = designParaStyles();
    return style;
}

} // namespace

QList<TFontInfo> designTextStyles()
{
    return {
        textStyle(u"Normal text"_s, 0, clWindowText, false),
        textStyle(u"Heading"_s, fsBold, clBlue, false),
        textStyle(u"Subheading"_s, fsBold, clNavy, false),
        textStyle(u"Keywords"_s, fsItalic, clMaroon, false),
        textStyle(u"Jump 1"_s, fsUnderline, clGreen, true),
        textStyle(u"Jump 2"_s, fsUnderline, clGreen, true),
    };
}

QList<TParaInfo> designParaStyles()
{
    TParaInfo normal;
    TParaInfo centered;
    centered.StyleName = u"Centered"_s;
    centered.Alignment = rvaCenter;
    return { normal, centered };
}

TRVStyle englishPaneStyle()
{
    return paneStyle(u"RVStyle3"_s, 16709848);
}

TRVStyle chinesePaneStyle()
{
    return paneStyle(u"RVStyle4"_s, 16701656);
}

} // namespace ecolvar
