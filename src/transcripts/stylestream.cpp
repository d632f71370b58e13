#include "transcripts/stylestream.h"

#include "transcripts/textcodec.h"

#include <QJsonObject>

#include <span>
#include <string_view>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// Type bytes of the property stream.
enum ValueType : quint8 {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

// Collections and lists nested deeper than this are refused.
constexpr int kMaxDepth = 16;

struct NamedValue {
    std::string_view name;
    qint64 value;
};

constexpr TColor sys(int index)
{
    return systemColor(index);
}

constexpr NamedValue kColours[] = {
    { "clBlack", rgbColor(0, 0, 0) },
    { "clMaroon", rgbColor(128, 0, 0) },
    { "clGreen", rgbColor(0, 128, 0) },
    { "clOlive", rgbColor(128, 128, 0) },
    { "clNavy", rgbColor(0, 0, 128) },
    { "clPurple", rgbColor(128, 0, 128) },
    { "clTeal", rgbColor(0, 128, 128) },
    { "clGray", rgbColor(128, 128, 128) },
    { "clSilver", rgbColor(192, 192, 192) },
    { "clRed", rgbColor(255, 0, 0) },
    { "clLime", rgbColor(0, 255, 0) },
    { "clYellow", rgbColor(255, 255, 0) },
    { "clBlue", rgbColor(0, 0, 255) },
    { "clFuchsia", rgbColor(255, 0, 255) },
    { "clAqua", rgbColor(0, 255, 255) },
    { "clWhite", rgbColor(255, 255, 255) },
    { "clMoneyGreen", rgbColor(192, 220, 192) },
    { "clSkyBlue", rgbColor(166, 202, 240) },
    { "clCream", rgbColor(255, 251, 240) },
    { "clMedGray", rgbColor(160, 160, 164) },
    { "clScrollBar", sys(0) },
    { "clBackground", sys(1) },
    { "clActiveCaption", sys(2) },
    { "clInactiveCaption", sys(3) },
    { "clMenu", sys(4) },
    { "clWindow", sys(5) },
    { "clWindowFrame", sys(6) },
    { "clMenuText", sys(7) },
    { "clWindowText", sys(8) },
    { "clCaptionText", sys(9) },
    { "clActiveBorder", sys(10) },
    { "clInactiveBorder", sys(11) },
    { "clAppWorkSpace", sys(12) },
    { "clHighlight", sys(13) },
    { "clHighlightText", sys(14) },
    { "clBtnFace", sys(15) },
    { "clBtnShadow", sys(16) },
    { "clGrayText", sys(17) },
    { "clBtnText", sys(18) },
    { "clInactiveCaptionText", sys(19) },
    { "clBtnHighlight", sys(20) },
    { "cl3DDkShadow", sys(21) },
    { "cl3DLight", sys(22) },
    { "clInfoText", sys(23) },
    { "clInfoBk", sys(24) },
    { "clHotLight", sys(26) },
    { "clGradientActiveCaption", sys(27) },
    { "clGradientInactiveCaption", sys(28) },
    { "clMenuHighlight", sys(29) },
    { "clMenuBar", sys(30) },
    { "clNone", clNone },
    { "clDefault", clDefault },
};

constexpr NamedValue kCharsets[] = {
    { "ANSI_CHARSET", 0 },
    { "DEFAULT_CHARSET", 1 },
    { "SYMBOL_CHARSET", 2 },
    { "MAC_CHARSET", 77 },
    { "SHIFTJIS_CHARSET", 128 },
    { "HANGEUL_CHARSET", 129 },
    { "JOHAB_CHARSET", 130 },
    { "GB2312_CHARSET", 134 },
    { "CHINESEBIG5_CHARSET", 136 },
    { "GREEK_CHARSET", 161 },
    { "TURKISH_CHARSET", 162 },
    { "HEBREW_CHARSET", 177 },
    { "ARABIC_CHARSET", 178 },
    { "BALTIC_CHARSET", 186 },
    { "RUSSIAN_CHARSET", 204 },
    { "THAI_CHARSET", 222 },
    { "EASTEUROPE_CHARSET", 238 },
    { "OEM_CHARSET", 255 },
};

// The standard cursors by number; the hand cursor of jumps (101) has no name.
constexpr NamedValue kCursors[] = {
    { "crDefault", 0 },
    { "crNone", -1 },
    { "crArrow", -2 },
    { "crCross", -3 },
    { "crIBeam", -4 },
    { "crSizeNESW", -6 },
    { "crSizeNS", -7 },
    { "crSizeNWSE", -8 },
    { "crSizeWE", -9 },
    { "crUpArrow", -10 },
    { "crHourGlass", -11 },
    { "crDrag", -12 },
    { "crNoDrop", -13 },
    { "crHSplit", -14 },
    { "crVSplit", -15 },
    { "crMultiDrag", -16 },
    { "crSQLWait", -17 },
    { "crNo", -18 },
    { "crAppStart", -19 },
    { "crHelp", -20 },
    { "crHandPoint", -21 },
    { "crSizeAll", -22 },
};

using Members = std::span<const std::string_view>;

constexpr std::string_view kBiDiModes[]
    = { "rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft" };
constexpr std::string_view kAlignments[] = { "rvaLeft", "rvaRight", "rvaCenter", "rvaJustify" };
constexpr std::string_view kLineSpacingTypes[] = { "rvlsPercent", "rvlsSpaceBetween" };
constexpr std::string_view kBorderStyles[]
    = { "rvbNone", "rvbSingle", "rvbDouble", "rvbTriple", "rvbThickInside", "rvbThickOutside" };
constexpr std::string_view kTabAligns[] = { "rvtaLeft", "rvtaRight", "rvtaCenter" };
constexpr std::string_view kListTypes[] = { "rvlstBullet", "rvlstPicture", "rvlstImageList",
    "rvlstDecimal", "rvlstLowerAlpha", "rvlstUpperAlpha", "rvlstLowerRoman", "rvlstUpperRoman",
    "rvlstImageListCounter", "rvlstUnicodeBullet" };
constexpr std::string_view kMarkerAlignments[] = { "rvmaLeft", "rvmaRight", "rvmaCenter" };

constexpr std::string_view kFontStyles[] = { "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut" };
constexpr std::string_view kFontStylesEx[] = { "rvfsOverline", "rvfsAllCaps" };
constexpr std::string_view kProtection[] = { "rvprStyleProtect", "rvprModifyProtect",
    "rvprDeleteProtect", "rvprConcateProtect", "rvprRVFInsertProtect", "rvprDoNotAutoSwitch",
    "rvprParaStartProtect", "rvprSticking", "rvprStickToTop", "rvprStickToBottom" };
constexpr std::string_view kTextOptions[] = { "rvteoHTMLCode", "rvteoRTFCode" };
constexpr std::string_view kFontInfoProperties[]
    = { "rvfiFontName", "rvfiSize", "rvfiCharset", "rvfiUnicode", "rvfiBold", "rvfiItalic",
          "rvfiUnderline", "rvfiStrikeout", "rvfiOverline", "rvfiAllCaps", "rvfiVShift",
          "rvfiColor", "rvfiBackColor", "rvfiJump", "rvfiHoverBackColor", "rvfiHoverColor",
          "rvfiJumpCursor", "rvfiNextStyleNo", "rvfiProtection", "rvfiCharScale", "rvfiBaseStyleNo",
          "rvfiBiDiMode", "rvfiCharSpacing", "rvfiHTMLCode", "rvfiRTFCode", "rvfiCustom" };
constexpr std::string_view kParaOptions[] = { "rvpaoNoWrap", "rvpaoReadOnly", "rvpaoStyleProtect",
    "rvpaoDoNotWantReturns", "rvpaoKeepLinesTogether", "rvpaoKeepWithNext" };
constexpr std::string_view kParaInfoProperties1[] = { "rvpiFirstIndent", "rvpiLeftIndent",
    "rvpiRightIndent", "rvpiSpaceBefore", "rvpiSpaceAfter", "rvpiAlignment", "rvpiNextParaNo",
    "rvpiDefStyleNo", "rvpiLineSpacing", "rvpiLineSpacingType", "rvpiBackground_Color",
    "rvpiBackground_BO_Left", "rvpiBackground_BO_Top", "rvpiBackground_BO_Right",
    "rvpiBackground_BO_Bottom", "rvpiBorder_Color", "rvpiBorder_Style", "rvpiBorder_Width",
    "rvpiBorder_InternalWidth", "rvpiBorder_BO_Left", "rvpiBorder_BO_Top", "rvpiBorder_BO_Right",
    "rvpiBorder_BO_Bottom", "rvpiBorder_Vis_Left", "rvpiBorder_Vis_Top", "rvpiBorder_Vis_Right",
    "rvpiBorder_Vis_Bottom" };
constexpr std::string_view kParaInfoProperties2[]
    = { "rvpiNoWrap", "rvpiReadOnly", "rvpiStyleProtect", "rvpiDoNotWantReturns",
          "rvpiKeepLinesTogether", "rvpiKeepWithNext", "rvpiTabs", "rvpiBiDiMode" };
constexpr std::string_view kListLevelOptions[]
    = { "rvloContinuous", "rvloLevelReset", "rvloLegalStyleNumbering" };

enum class PropType {
    Integer,
    Colour,
    Charset,
    Cursor,
    Enumeration,
    Boolean,
    Set,
    String,
    Collection
};

std::span<const NamedValue> namesOf(PropType type)
{
    switch (type) {
    case PropType::Colour:
        return kColours;
    case PropType::Charset:
        return kCharsets;
    case PropType::Cursor:
        return kCursors;
    default:
        return {};
    }
}

// Bounds-checked reading of a stream; every failure leaves a message.
struct Reader {
    Reader(const uchar* begin, const uchar* stop) : p(begin), end(stop) { }

    const uchar* p;
    const uchar* end;
    int depth = 0;
    QString error;

    bool fail(const QString& message)
    {
        if (error.isEmpty())
            error = message;
        return false;
    }
    bool byte(quint8& b)
    {
        if (p == end)
            return fail(u"the style stream ends early"_s);
        b = *p++;
        return true;
    }
    bool take(quint64 n, QByteArrayView& out)
    {
        if (n > static_cast<quint64>(end - p))
            return fail(u"the style stream ends early"_s);
        out = QByteArrayView(p, static_cast<qsizetype>(n));
        p += n;
        return true;
    }
    bool u32(quint32& v)
    {
        QByteArrayView b;
        if (!take(4, b))
            return false;
        v = quint32(quint8(b[0])) | quint32(quint8(b[1])) << 8 | quint32(quint8(b[2])) << 16
            | quint32(quint8(b[3])) << 24;
        return true;
    }
    bool shortString(QByteArrayView& out)
    {
        quint8 n = 0;
        return byte(n) && take(n, out);
    }
    bool enter() { return ++depth <= kMaxDepth || fail(u"the style stream nests too deeply"_s); }
};

// A value read from the stream, whatever property it belongs to.
struct Value {
    quint8 type = vaNull;
    qint64 integer = 0;
    QByteArrayView ident;
    QList<QByteArrayView> members;
    QString text;
};

bool readValue(Reader& r, quint8 type, Value& v);
bool skipCollection(Reader& r);

bool readValue(Reader& r, quint8 type, Value& v)
{
    v.type = type;
    QByteArrayView bytes;
    quint32 n = 0;
    switch (type) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        return true;
    case vaList: {
        if (!r.enter())
            return false;
        for (;;) {
            quint8 inner = 0;
            if (!r.byte(inner))
                return false;
            if (inner == vaNull)
                break;
            Value ignored;
            if (!readValue(r, inner, ignored))
                return false;
        }
        --r.depth;
        return true;
    }
    case vaInt8:
        if (!r.take(1, bytes))
            return false;
        v.integer = static_cast<qint8>(bytes[0]);
        return true;
    case vaInt16:
        if (!r.take(2, bytes))
            return false;
        v.integer = static_cast<qint16>(quint8(bytes[0]) | quint8(bytes[1]) << 8);
        return true;
    case vaInt32:
        if (!r.u32(n))
            return false;
        v.integer = static_cast<qint32>(n);
        return true;
    case vaExtended:
        return r.take(10, bytes);
    case vaSingle:
        return r.take(4, bytes);
    case vaCurrency:
    case vaDate:
    case vaInt64:
        return r.take(8, bytes);
    case vaString:
        if (!r.shortString(bytes))
            return false;
        v.text = fromGbk(bytes);
        return true;
    case vaIdent:
        return r.shortString(v.ident);
    case vaLString:
        if (!r.u32(n) || !r.take(n, bytes))
            return false;
        v.text = fromGbk(bytes);
        return true;
    case vaBinary:
        return r.u32(n) && r.take(n, bytes);
    case vaSet:
        for (;;) {
            QByteArrayView name;
            if (!r.shortString(name))
                return false;
            if (name.isEmpty())
                return true;
            v.members.append(name);
        }
    case vaCollection:
        return skipCollection(r);
    case vaWString:
        if (!r.u32(n) || !r.take(2 * quint64(n), bytes))
            return false;
        v.text = fromUtf16Le(bytes);
        return true;
    case vaUTF8String:
        if (!r.u32(n) || !r.take(n, bytes))
            return false;
        v.text = QString::fromUtf8(bytes);
        return true;
    default:
        return r.fail(u"unknown value type %1 in the style stream"_s.arg(type));
    }
}

template <class T> struct Property {
    std::string_view name; // the path, such as Border.VisibleBorders.Left
    PropType type;
    Members members = {}; // enumeration and set members, in order
    bool alwaysWritten = false;
    qint64 (*get)(const T&) = nullptr;
    void (*set)(T&, qint64) = nullptr;
    QString (*getString)(const T&) = nullptr;
    void (*setString)(T&, const QString&) = nullptr;
    void (*encode)(const T&, QByteArray&) = nullptr;
    bool (*decode)(T&, Reader&) = nullptr;
    QJsonArray (*toJson)(const T&) = nullptr;
    bool (*isEmpty)(const T&) = nullptr;
};

std::span<const Property<TFontInfo>> propertiesOf(const TFontInfo*);
std::span<const Property<TParaInfo>> propertiesOf(const TParaInfo*);
std::span<const Property<TRVTabInfo>> propertiesOf(const TRVTabInfo*);
std::span<const Property<TRVListInfo>> propertiesOf(const TRVListInfo*);
std::span<const Property<TRVListLevel>> propertiesOf(const TRVListLevel*);

// The items of a collection that no property takes: every property is unknown and skipped.
struct AnyItem { };
std::span<const Property<AnyItem>> propertiesOf(const AnyItem*)
{
    return {};
}

template <class T> std::span<const Property<T>> propertiesOf()
{
    return propertiesOf(static_cast<const T*>(nullptr));
}

// The field a property path leads to, as in Border.VisibleBorders.Left.
template <class T, auto... Ms> auto& field(T& o)
{
    return (o.*....*Ms);
}

template <class T, auto... Ms>
Property<T> ordinal(
    std::string_view name, PropType type, Members members = {}, bool alwaysWritten = false)
{
    Property<T> p { name, type, members, alwaysWritten };
    p.get = [](const T& o) { return static_cast<qint64>(field<const T, Ms...>(o)); };
    p.set = [](T& o, qint64 v) {
        auto& f = field<T, Ms...>(o);
        f = static_cast<std::remove_cvref_t<decltype(f)>>(v);
    };
    return p;
}

template <class T, auto... Ms> Property<T> string(std::string_view name)
{
    Property<T> p { name, PropType::String };
    p.getString = [](const T& o) { return QString(field<const T, Ms...>(o)); };
    p.setString = [](T& o, const QString& v) { field<T, Ms...>(o) = v; };
    return p;
}

void encodeCollectionOf(const auto& items, QByteArray& out);
template <class Item> bool decodeCollectionOf(Reader& r, QList<Item>& items);
QJsonArray jsonOf(const auto& items);

template <class T, auto M> Property<T> collection(std::string_view name)
{
    using Item = typename std::remove_cvref_t<decltype(std::declval<T&>().*M)>::value_type;
    Property<T> p { name, PropType::Collection };
    p.encode = [](const T& o, QByteArray& out) { encodeCollectionOf(o.*M, out); };
    p.decode = [](T& o, Reader& r) {
        QList<Item> items;
        if (!decodeCollectionOf(r, items))
            return false;
        o.*M = std::move(items);
        return true;
    };
    p.toJson = [](const T& o) { return jsonOf(o.*M); };
    p.isEmpty = [](const T& o) { return (o.*M).isEmpty(); };
    return p;
}

std::span<const Property<TFontInfo>> propertiesOf(const TFontInfo*)
{
    using T = TFontInfo;
    using P = PropType;
    static const Property<T> table[] = {
        ordinal<T, &T::BaseStyleNo>("BaseStyleNo", P::Integer),
        string<T, &T::StyleName>("StyleName"),
        ordinal<T, &T::Standard>("Standard", P::Boolean),
        ordinal<T, &T::StyleTemplateId>("StyleTemplateId", P::Integer),
        ordinal<T, &T::Charset>("Charset", P::Charset),
        string<T, &T::FontName>("FontName"),
        ordinal<T, &T::Size>("Size", P::Integer),
        ordinal<T, &T::Style>("Style", P::Set, kFontStyles),
        ordinal<T, &T::VShift>("VShift", P::Integer),
        ordinal<T, &T::Color>("Color", P::Colour),
        ordinal<T, &T::BackColor>("BackColor", P::Colour),
        ordinal<T, &T::HoverBackColor>("HoverBackColor", P::Colour),
        ordinal<T, &T::HoverColor>("HoverColor", P::Colour),
        ordinal<T, &T::StyleEx>("StyleEx", P::Set, kFontStylesEx),
        ordinal<T, &T::Jump>("Jump", P::Boolean),
        ordinal<T, &T::JumpCursor>("JumpCursor", P::Cursor),
        ordinal<T, &T::CharScale>("CharScale", P::Integer),
        ordinal<T, &T::CharSpacing>("CharSpacing", P::Integer),
        ordinal<T, &T::BiDiMode>("BiDiMode", P::Enumeration, kBiDiModes),
        ordinal<T, &T::Protection>("Protection", P::Set, kProtection),
        ordinal<T, &T::Options>("Options", P::Set, kTextOptions),
        ordinal<T, &T::NextStyleNo>("NextStyleNo", P::Integer),
        ordinal<T, &T::Unicode>("Unicode", P::Boolean),
        ordinal<T, &T::ModifiedProperties>("ModifiedProperties", P::Set, kFontInfoProperties),
    };
    return table;
}

std::span<const Property<TParaInfo>> propertiesOf(const TParaInfo*)
{
    using T = TParaInfo;
    using P = PropType;
    using B = TRVBorder;
    using G = TRVBackground;
    using R = TRVRect;
    using V = TRVBooleanRect;
    static const Property<T> table[] = {
        ordinal<T, &T::BaseStyleNo>("BaseStyleNo", P::Integer),
        string<T, &T::StyleName>("StyleName"),
        ordinal<T, &T::Standard>("Standard", P::Boolean),
        ordinal<T, &T::StyleTemplateId>("StyleTemplateId", P::Integer),
        ordinal<T, &T::FirstIndent>("FirstIndent", P::Integer),
        ordinal<T, &T::LeftIndent>("LeftIndent", P::Integer),
        ordinal<T, &T::RightIndent>("RightIndent", P::Integer),
        ordinal<T, &T::SpaceBefore>("SpaceBefore", P::Integer),
        ordinal<T, &T::SpaceAfter>("SpaceAfter", P::Integer),
        ordinal<T, &T::Alignment>("Alignment", P::Enumeration, kAlignments),
        ordinal<T, &T::Border, &B::Width>("Border.Width", P::Integer),
        ordinal<T, &T::Border, &B::InternalWidth>("Border.InternalWidth", P::Integer),
        ordinal<T, &T::Border, &B::Color>("Border.Color", P::Colour),
        ordinal<T, &T::Border, &B::Style>("Border.Style", P::Enumeration, kBorderStyles),
        ordinal<T, &T::Border, &B::VisibleBorders, &V::Left>(
            "Border.VisibleBorders.Left", P::Boolean),
        ordinal<T, &T::Border, &B::VisibleBorders, &V::Right>(
            "Border.VisibleBorders.Right", P::Boolean),
        ordinal<T, &T::Border, &B::VisibleBorders, &V::Top>(
            "Border.VisibleBorders.Top", P::Boolean),
        ordinal<T, &T::Border, &B::VisibleBorders, &V::Bottom>(
            "Border.VisibleBorders.Bottom", P::Boolean),
        ordinal<T, &T::Border, &B::BorderOffsets, &R::Left>(
            "Border.BorderOffsets.Left", P::Integer),
        ordinal<T, &T::Border, &B::BorderOffsets, &R::Right>(
            "Border.BorderOffsets.Right", P::Integer),
        ordinal<T, &T::Border, &B::BorderOffsets, &R::Top>("Border.BorderOffsets.Top", P::Integer),
        ordinal<T, &T::Border, &B::BorderOffsets, &R::Bottom>(
            "Border.BorderOffsets.Bottom", P::Integer),
        ordinal<T, &T::Background, &G::Color>("Background.Color", P::Colour),
        ordinal<T, &T::Background, &G::BorderOffsets, &R::Left>(
            "Background.BorderOffsets.Left", P::Integer),
        ordinal<T, &T::Background, &G::BorderOffsets, &R::Right>(
            "Background.BorderOffsets.Right", P::Integer),
        ordinal<T, &T::Background, &G::BorderOffsets, &R::Top>(
            "Background.BorderOffsets.Top", P::Integer),
        ordinal<T, &T::Background, &G::BorderOffsets, &R::Bottom>(
            "Background.BorderOffsets.Bottom", P::Integer),
        ordinal<T, &T::LineSpacing>("LineSpacing", P::Integer),
        ordinal<T, &T::LineSpacingType>("LineSpacingType", P::Enumeration, kLineSpacingTypes),
        ordinal<T, &T::Options>("Options", P::Set, kParaOptions),
        ordinal<T, &T::BiDiMode>("BiDiMode", P::Enumeration, kBiDiModes),
        collection<T, &T::Tabs>("Tabs"),
        ordinal<T, &T::NextParaNo>("NextParaNo", P::Integer),
        ordinal<T, &T::DefStyleNo>("DefStyleNo", P::Integer),
        ordinal<T, &T::ModifiedProperties1>("ModifiedProperties1", P::Set, kParaInfoProperties1),
        ordinal<T, &T::ModifiedProperties2>("ModifiedProperties2", P::Set, kParaInfoProperties2),
    };
    return table;
}

std::span<const Property<TRVTabInfo>> propertiesOf(const TRVTabInfo*)
{
    using T = TRVTabInfo;
    using P = PropType;
    static const Property<T> table[] = {
        ordinal<T, &T::Align>("Align", P::Enumeration, kTabAligns),
        ordinal<T, &T::Position>("Position", P::Integer, {}, true),
        string<T, &T::Leader>("Leader"),
    };
    return table;
}

std::span<const Property<TRVListInfo>> propertiesOf(const TRVListInfo*)
{
    using T = TRVListInfo;
    using P = PropType;
    static const Property<T> table[] = {
        ordinal<T, &T::BaseStyleNo>("BaseStyleNo", P::Integer),
        string<T, &T::StyleName>("StyleName"),
        ordinal<T, &T::Standard>("Standard", P::Boolean),
        ordinal<T, &T::StyleTemplateId>("StyleTemplateId", P::Integer),
        collection<T, &T::Levels>("Levels"),
        ordinal<T, &T::OneLevelPreview>("OneLevelPreview", P::Boolean),
    };
    return table;
}

std::span<const Property<TRVListLevel>> propertiesOf(const TRVListLevel*)
{
    using T = TRVListLevel;
    using P = PropType;
    static const Property<T> table[] = {
        ordinal<T, &T::ListType>("ListType", P::Enumeration, kListTypes),
        ordinal<T, &T::StartFrom>("StartFrom", P::Integer),
        ordinal<T, &T::ImageIndex>("ImageIndex", P::Integer),
        ordinal<T, &T::LeftIndent>("LeftIndent", P::Integer),
        ordinal<T, &T::FirstIndent>("FirstIndent", P::Integer),
        ordinal<T, &T::MarkerIndent>("MarkerIndent", P::Integer),
        ordinal<T, &T::MarkerAlignment>("MarkerAlignment", P::Enumeration, kMarkerAlignments),
        ordinal<T, &T::Options>("Options", P::Set, kListLevelOptions),
    };
    return table;
}

// --- Encoding -------------------------------------------------------------------------------

void putByte(QByteArray& out, quint8 b)
{
    out.append(static_cast<char>(b));
}

void putU32(QByteArray& out, quint32 v)
{
    for (int shift = 0; shift < 32; shift += 8)
        putByte(out, quint8(v >> shift));
}

void putInteger(QByteArray& out, qint64 v)
{
    if (v >= -128 && v <= 127) {
        putByte(out, vaInt8);
        putByte(out, quint8(v));
    } else if (v >= -32768 && v <= 32767) {
        putByte(out, vaInt16);
        putByte(out, quint8(v));
        putByte(out, quint8(v >> 8));
    } else {
        putByte(out, vaInt32);
        putU32(out, quint32(v));
    }
}

void putShortString(QByteArray& out, std::string_view s)
{
    putByte(out, quint8(s.size()));
    out.append(s.data(), qsizetype(s.size()));
}

void putNamedOrInteger(QByteArray& out, qint64 v, std::span<const NamedValue> names)
{
    for (const NamedValue& n : names) {
        if (n.value == v) {
            putByte(out, vaIdent);
            putShortString(out, n.name);
            return;
        }
    }
    putInteger(out, v);
}

void putString(QByteArray& out, const QString& s)
{
    const bool ascii = std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        const QByteArray bytes = s.toLatin1();
        if (bytes.size() < 256) {
            putByte(out, vaString);
            putByte(out, quint8(bytes.size()));
        } else {
            putByte(out, vaLString);
            putU32(out, quint32(bytes.size()));
        }
        out.append(bytes);
        return;
    }
    const QByteArray utf8 = s.toUtf8();
    if (utf8.size() < 2 * s.size()) {
        putByte(out, vaUTF8String);
        putU32(out, quint32(utf8.size()));
        out.append(utf8);
        return;
    }
    putByte(out, vaWString);
    putU32(out, quint32(s.size()));
    for (QChar c : s) {
        putByte(out, quint8(c.unicode()));
        putByte(out, quint8(c.unicode() >> 8));
    }
}

// Whether the encoder writes property p of o.
template <class T> bool isWritten(const Property<T>& p, const T& o)
{
    static const T defaults {};
    switch (p.type) {
    case PropType::String:
        return !p.getString(o).isEmpty();
    case PropType::Collection:
        return true;
    default:
        return p.alwaysWritten || p.get(o) != p.get(defaults);
    }
}

template <class T> void encodeProperty(const Property<T>& p, const T& o, QByteArray& out)
{
    putShortString(out, p.name);
    switch (p.type) {
    case PropType::Integer:
        putInteger(out, p.get(o));
        break;
    case PropType::Colour:
    case PropType::Charset:
    case PropType::Cursor:
        putNamedOrInteger(out, p.get(o), namesOf(p.type));
        break;
    case PropType::Enumeration: {
        const qint64 v = p.get(o);
        if (v >= 0 && v < qint64(p.members.size())) {
            putByte(out, vaIdent);
            putShortString(out, p.members[v]);
        } else {
            putInteger(out, v);
        }
        break;
    }
    case PropType::Boolean:
        putByte(out, p.get(o) ? vaTrue : vaFalse);
        break;
    case PropType::Set: {
        const qint64 bits = p.get(o);
        putByte(out, vaSet);
        for (size_t i = 0; i < p.members.size(); ++i) {
            if (bits & (qint64(1) << i))
                putShortString(out, p.members[i]);
        }
        putByte(out, 0);
        break;
    }
    case PropType::String:
        putString(out, p.getString(o));
        break;
    case PropType::Collection:
        p.encode(o, out);
        break;
    }
}

void encodeCollectionOf(const auto& items, QByteArray& out)
{
    putByte(out, vaCollection);
    for (const auto& item : items) {
        putByte(out, vaList);
        for (const auto& p : propertiesOf<std::remove_cvref_t<decltype(item)>>()) {
            if (isWritten(p, item))
                encodeProperty(p, item, out);
        }
        putByte(out, vaNull);
    }
    putByte(out, vaNull);
}

// --- Decoding -------------------------------------------------------------------------------

std::optional<qint64> lookUp(QByteArrayView name, std::span<const NamedValue> names)
{
    for (const NamedValue& n : names) {
        if (name == QByteArrayView(n.name.data(), qsizetype(n.name.size())))
            return n.value;
    }
    return std::nullopt;
}

std::optional<qint64> memberIndex(QByteArrayView name, Members members)
{
    for (size_t i = 0; i < members.size(); ++i) {
        if (name == QByteArrayView(members[i].data(), qsizetype(members[i].size())))
            return qint64(i);
    }
    return std::nullopt;
}

bool isIntegerType(quint8 type)
{
    return type == vaInt8 || type == vaInt16 || type == vaInt32;
}

// The value converted to the property's type, or nothing when it cannot be.
template <class T> std::optional<qint64> ordinalValue(const Property<T>& p, const Value& v)
{
    switch (p.type) {
    case PropType::Integer:
        return isIntegerType(v.type) ? std::optional(v.integer) : std::nullopt;
    case PropType::Colour:
    case PropType::Charset:
    case PropType::Cursor: {
        if (isIntegerType(v.type))
            return v.integer;
        if (v.type != vaIdent)
            return std::nullopt;
        return lookUp(v.ident, namesOf(p.type));
    }
    case PropType::Enumeration:
        return v.type == vaIdent ? memberIndex(v.ident, p.members) : std::nullopt;
    case PropType::Boolean:
        if (v.type == vaFalse || v.type == vaTrue)
            return v.type == vaTrue ? 1 : 0;
        return std::nullopt;
    case PropType::Set: {
        if (v.type != vaSet)
            return std::nullopt;
        qint64 bits = 0;
        for (QByteArrayView name : v.members) {
            const std::optional<qint64> i = memberIndex(name, p.members);
            if (!i)
                return std::nullopt;
            bits |= qint64(1) << *i;
        }
        return bits;
    }
    default:
        return std::nullopt;
    }
}

template <class T> bool decodeProperty(Reader& r, const Property<T>* p, T& o)
{
    quint8 type = 0;
    if (!r.byte(type))
        return false;
    if (type == vaCollection && p && p->type == PropType::Collection)
        return p->decode(o, r);
    Value v;
    if (!readValue(r, type, v))
        return false;
    if (!p)
        return true;
    if (p->type == PropType::String) {
        if (type == vaString || type == vaLString || type == vaWString || type == vaUTF8String)
            p->setString(o, v.text);
    } else if (p->type != PropType::Collection) {
        if (const std::optional<qint64> value = ordinalValue(*p, v))
            p->set(o, *value);
    }
    return true;
}

template <class T> const Property<T>* findProperty(QByteArrayView name)
{
    for (const Property<T>& p : propertiesOf<T>()) {
        if (name == QByteArrayView(p.name.data(), qsizetype(p.name.size())))
            return &p;
    }
    return nullptr;
}

// Decodes the items of a collection whose 14 has been read.
template <class Item> bool decodeCollectionOf(Reader& r, QList<Item>& items)
{
    if (!r.enter())
        return false;
    for (;;) {
        quint8 b = 0;
        if (!r.byte(b))
            return false;
        if (b == vaNull)
            break;
        if (isIntegerType(b)) {
            Value ignored;
            if (!readValue(r, b, ignored) || !r.byte(b))
                return false;
        }
        if (b != vaList)
            return r.fail(u"a collection item does not start with a list marker"_s);
        Item item;
        for (;;) {
            QByteArrayView name;
            if (!r.shortString(name))
                return false;
            if (name.isEmpty())
                break;
            if (!decodeProperty(r, findProperty<Item>(name), item))
                return false;
        }
        items.append(std::move(item));
    }
    --r.depth;
    return true;
}

// Skips a collection whose 14 has been read, whatever its items hold.
bool skipCollection(Reader& r)
{
    QList<AnyItem> ignored;
    return decodeCollectionOf(r, ignored);
}

// --- JSON -----------------------------------------------------------------------------------

template <class T> QJsonValue jsonValue(const Property<T>& p, const T& o)
{
    switch (p.type) {
    case PropType::Enumeration: {
        const qint64 v = p.get(o);
        if (v >= 0 && v < qint64(p.members.size()))
            return QString::fromLatin1(p.members[v]);
        return v;
    }
    case PropType::Boolean:
        return p.get(o) != 0;
    case PropType::Set: {
        QJsonArray names;
        const qint64 bits = p.get(o);
        for (size_t i = 0; i < p.members.size(); ++i) {
            if (bits & (qint64(1) << i))
                names.append(QString::fromLatin1(p.members[i]));
        }
        return names;
    }
    case PropType::String:
        return p.getString(o);
    case PropType::Collection:
        return p.toJson(o);
    default:
        return p.get(o);
    }
}

QJsonArray jsonOf(const auto& items)
{
    QJsonArray array;
    for (const auto& item : items) {
        QJsonObject object;
        for (const auto& p : propertiesOf<std::remove_cvref_t<decltype(item)>>()) {
            if (isWritten(p, item) && !(p.isEmpty && p.isEmpty(item)))
                object.insert(QString::fromLatin1(p.name), jsonValue(p, item));
        }
        array.append(object);
    }
    return array;
}

} // namespace

template <class Style> QByteArray encodeStyles(const QList<Style>& styles)
{
    QByteArray out;
    encodeCollectionOf(styles, out);
    return out;
}

template <class Style> bool decodeStyles(QByteArrayView data, QList<Style>& styles, QString* error)
{
    styles.clear();
    const auto* begin = reinterpret_cast<const uchar*>(data.data());
    Reader r(begin, begin + data.size());
    quint8 first = 0;
    bool ok = r.byte(first);
    if (ok && first != vaCollection)
        ok = r.fail(u"the style stream does not start with 14"_s);
    ok = ok && decodeCollectionOf(r, styles);
    if (!ok) {
        styles.clear();
        if (error)
            *error = u"%1 (at byte %2)"_s.arg(r.error).arg(r.p - begin);
    }
    return ok;
}

template <class Style> QJsonArray stylesToJson(const QList<Style>& styles)
{
    return jsonOf(styles);
}

template QByteArray encodeStyles(const QList<TFontInfo>&);
template QByteArray encodeStyles(const QList<TParaInfo>&);
template QByteArray encodeStyles(const QList<TRVListInfo>&);
template bool decodeStyles(QByteArrayView, QList<TFontInfo>&, QString*);
template bool decodeStyles(QByteArrayView, QList<TParaInfo>&, QString*);
template bool decodeStyles(QByteArrayView, QList<TRVListInfo>&, QString*);
template QJsonArray stylesToJson(const QList<TFontInfo>&);
template QJsonArray stylesToJson(const QList<TParaInfo>&);
template QJsonArray stylesToJson(const QList<TRVListInfo>&);

} // namespace ecolvar
