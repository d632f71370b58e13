#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace ecolvar {

// A colour as stored: red + 256 * green + 65536 * blue; a system colour is 0xFF000000 plus the
// system-colour index; clNone and clDefault are the two special values.
using TColor = qint32;

inline constexpr TColor rgbColor(int red, int green, int blue)
{
    return red + 256 * green + 65536 * blue;
}
inline constexpr TColor systemColor(int index)
{
    return static_cast<TColor>(0xFF000000u + static_cast<quint32>(index));
}

inline constexpr TColor clNone = 536870911;
inline constexpr TColor clDefault = 536870912;
inline constexpr TColor clBlack = rgbColor(0, 0, 0);
inline constexpr TColor clMaroon = rgbColor(128, 0, 0);
inline constexpr TColor clGreen = rgbColor(0, 128, 0);
inline constexpr TColor clNavy = rgbColor(0, 0, 128);
inline constexpr TColor clBlue = rgbColor(0, 0, 255);
inline constexpr TColor clWhite = rgbColor(255, 255, 255);
inline constexpr TColor clWindow = systemColor(5);
inline constexpr TColor clWindowText = systemColor(8);

// Set-valued properties are bit masks: bit i stands for the i-th member in declaration order.
enum TFontStyle : quint32 { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum TRVListLevelOption : quint32 {
    rvloContinuous = 1,
    rvloLevelReset = 2,
    rvloLegalStyleNumbering = 4
};

enum TRVBiDiMode { rvbdUnspecified, rvbdLeftToRight, rvbdRightToLeft };
enum TRVAlignment { rvaLeft, rvaRight, rvaCenter, rvaJustify };
enum TRVLineSpacingType { rvlsPercent, rvlsSpaceBetween };
enum TRVBorderStyle { rvbNone, rvbSingle, rvbDouble, rvbTriple, rvbThickInside, rvbThickOutside };
enum TRVTabAlign { rvtaLeft, rvtaRight, rvtaCenter };
enum TRVListType {
    rvlstBullet,
    rvlstPicture,
    rvlstImageList,
    rvlstDecimal,
    rvlstLowerAlpha,
    rvlstUpperAlpha,
    rvlstLowerRoman,
    rvlstUpperRoman,
    rvlstImageListCounter,
    rvlstUnicodeBullet
};
enum TRVMarkerAlignment { rvmaLeft, rvmaRight, rvmaCenter };

// A text style. Member initialisers are the defaults; a default-constructed style is what a
// new style looks like (named "Font Style", font "Arial").
struct TFontInfo {
    int BaseStyleNo = -1;
    QString StyleName = QStringLiteral("Font Style");
    bool Standard = true;
    int StyleTemplateId = -1;
    int Charset = 1; // character-set number; 1 is the default character set
    QString FontName = QStringLiteral("Arial");
    int Size = 10; // points
    quint32 Style = 0; // TFontStyle bits
    int VShift = 0;
    TColor Color = clWindowText;
    TColor BackColor = clNone;
    TColor HoverBackColor = clNone;
    TColor HoverColor = clNone;
    quint32 StyleEx = 0; // rvfsOverline, rvfsAllCaps
    bool Jump = false;
    int JumpCursor = 101; // cursor number; 101 is the hand cursor
    int CharScale = 100; // percent
    int CharSpacing = 0;
    TRVBiDiMode BiDiMode = rvbdUnspecified;
    quint32 Protection = 0;
    quint32 Options = 0; // rvteoHTMLCode, rvteoRTFCode
    int NextStyleNo = -1;
    bool Unicode = false;
    quint32 ModifiedProperties = 0;

    bool operator==(const TFontInfo&) const = default;
};

// Left, right, top and bottom offsets (in this order in files).
struct TRVRect {
    int Left = 0;
    int Right = 0;
    int Top = 0;
    int Bottom = 0;
    bool operator==(const TRVRect&) const = default;
};

struct TRVBooleanRect {
    bool Left = true;
    bool Right = true;
    bool Top = true;
    bool Bottom = true;
    bool operator==(const TRVBooleanRect&) const = default;
};

struct TRVBorder {
    int Width = 1;
    int InternalWidth = 1;
    TColor Color = clWindowText;
    TRVBorderStyle Style = rvbNone;
    TRVBooleanRect VisibleBorders;
    TRVRect BorderOffsets;
    bool operator==(const TRVBorder&) const = default;
};

struct TRVBackground {
    TColor Color = clNone;
    TRVRect BorderOffsets;
    bool operator==(const TRVBackground&) const = default;
};

struct TRVTabInfo {
    TRVTabAlign Align = rvtaLeft;
    int Position = 0;
    QString Leader;
    bool operator==(const TRVTabInfo&) const = default;
};

// A paragraph style; a default-constructed one is a new style named "Paragraph Style".
struct TParaInfo {
    int BaseStyleNo = -1;
    QString StyleName = QStringLiteral("Paragraph Style");
    bool Standard = true;
    int StyleTemplateId = -1;
    int FirstIndent = 0;
    int LeftIndent = 0;
    int RightIndent = 0;
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    TRVAlignment Alignment = rvaLeft;
    TRVBorder Border;
    TRVBackground Background;
    int LineSpacing = 100;
    TRVLineSpacingType LineSpacingType = rvlsPercent;
    quint32 Options = 0; // rvpaoNoWrap ... rvpaoKeepWithNext
    TRVBiDiMode BiDiMode = rvbdUnspecified;
    QList<TRVTabInfo> Tabs;
    int NextParaNo = -1;
    int DefStyleNo = -1;
    quint32 ModifiedProperties1 = 0;
    quint32 ModifiedProperties2 = 0;

    bool operator==(const TParaInfo&) const = default;
};

// One level of a list style. The level's image list, picture and marker font are not kept.
struct TRVListLevel {
    TRVListType ListType = rvlstBullet;
    int StartFrom = 1;
    int ImageIndex = 0;
    int LeftIndent = 0;
    int FirstIndent = 10;
    int MarkerIndent = 0;
    TRVMarkerAlignment MarkerAlignment = rvmaLeft;
    quint32 Options = rvloContinuous | rvloLevelReset;
    bool operator==(const TRVListLevel&) const = default;
};

// A list style; a default-constructed one is a new style named "List Style".
struct TRVListInfo {
    int BaseStyleNo = -1;
    QString StyleName = QStringLiteral("List Style");
    bool Standard = true;
    int StyleTemplateId = -1;
    QList<TRVListLevel> Levels;
    bool OneLevelPreview = false;

    bool operator==(const TRVListInfo&) const = default;
};

// The style sheet of a pane: its name (written into the transcript file), its colour (the
// pane's background) and its three style collections, indexed by style number.
struct TRVStyle {
    QString Name;
    TColor Color = clWindow;
    QList<TFontInfo> TextStyles;
    QList<TParaInfo> ParaStyles;
    QList<TRVListInfo> ListStyles;

    bool operator==(const TRVStyle&) const = default;
};

// The six text styles ("Normal text", "Heading", "Subheading", "Keywords", "Jump 1", "Jump 2")
// and the two paragraph styles ("Paragraph Style", "Centered") that both panes start with.
QList<TFontInfo> designTextStyles();
QList<TParaInfo> designParaStyles();

// The English pane's style sheet "RVStyle3" (colour 16709848) and the Chinese pane's "RVStyle4"
// (colour 16701656), as designed; neither has list styles.
TRVStyle englishPaneStyle();
TRVStyle chinesePaneStyle();

} // namespace ecolvar
