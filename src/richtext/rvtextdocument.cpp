#include "richtext/rvtextdocument.h"

#include "richtext/rvdocumentlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QTextFrame>
#include <QTextObjectInterface>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

constexpr QChar kLineSeparator(0x2028);
constexpr QChar kObjectCharacter(QChar::ObjectReplacementCharacter);

// Families tried after a style's own font, so that Chinese text finds glyphs where the style
// names a Latin font such as "Arial".
const QStringList& cjkFallbackFamilies()
{
    static const QStringList families { u"Noto Sans CJK SC"_s, u"WenQuanYi Micro Hei"_s,
        u"Microsoft YaHei"_s, u"PingFang SC"_s, u"Source Han Sans SC"_s, u"SimSun"_s };
    return families;
}

// The colours of the system-colour indexes, as on a light desktop theme.
QColor systemColorValue(int index)
{
    switch (index) {
    case 5: // window
    case 14: // highlight text
        return Qt::white;
    case 13: // highlight
        return QColor(0, 120, 215);
    case 15: // button face
        return QColor(240, 240, 240);
    case 17: // grey text
        return QColor(109, 109, 109);
    default:
        return Qt::black;
    }
}

} // namespace

QColor qColor(TColor color)
{
    if (color == clNone || color == clDefault)
        return {};
    const quint32 value = quint32(color);
    if ((value & 0xFF000000u) == 0xFF000000u)
        return systemColorValue(int(value & 0xFFu));
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

namespace {

TColor fromQColor(const QColor& color)
{
    if (color == Qt::black)
        return clWindowText;
    return rgbColor(color.red(), color.green(), color.blue());
}

bool isPicture(int kind)
{
    return kind == rvrkPicture || kind == rvrkHotPicture;
}

// The picture data of a picture record: its last data line, a binary block or hexadecimal.
QByteArray pictureData(const RVRecord& record)
{
    const QByteArray& d = record.Data;
    qsizetype p = 0;
    auto skipLine = [&] {
        while (p < d.size() && d[p] != '\r' && d[p] != '\n' && d[p] != '\0')
            ++p;
        const qsizetype end = p;
        if (p < d.size() && d[p] == '\0')
            ++p;
        if (p < d.size() && d[p] == '\r')
            ++p;
        if (p < d.size() && d[p] == '\n')
            ++p;
        return end;
    };
    if (record.SaveType == 2) {
        for (int i = 0; i + 1 < record.LineCount; ++i)
            skipLine();
        if (d.size() - p < 4)
            return {};
        const quint32 length = quint8(d[p]) | quint32(quint8(d[p + 1])) << 8
            | quint32(quint8(d[p + 2])) << 16 | quint32(quint8(d[p + 3])) << 24;
        p += 4;
        if (length > quint64(d.size() - p))
            return {};
        return d.mid(p, qsizetype(length));
    }
    if (record.SaveType == 0 && record.LineCount > 0) {
        for (int i = 0; i + 1 < record.LineCount; ++i)
            skipLine();
        const qsizetype start = p;
        const qsizetype end = skipLine();
        return QByteArray::fromHex(d.mid(start, end - start));
    }
    return {};
}

QString sanitisedText(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c == u'\r' || c == u'\n' || c == kLineSeparator || c == QChar::ParagraphSeparator
            || c == kObjectCharacter)
            c = QChar::ReplacementCharacter;
    }
    return out;
}

// Draws the records that are neither text nor pictures: a horizontal line for a break, a small
// framed box for the rest.
class RecordObjectHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) override
    {
        if (format.intProperty(rvfpKind) == rvrkBreak)
            return { qMax<qreal>(doc->textWidth() - 2 * doc->documentMargin() - 4, 16), 8 };
        return { 14, 14 };
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
        const QTextFormat& format) override
    {
        painter->save();
        painter->setPen(QPen(Qt::darkGray, 1));
        if (format.intProperty(rvfpKind) == rvrkBreak)
            painter->drawLine(
                QPointF(rect.left(), rect.center().y()), QPointF(rect.right(), rect.center().y()));
        else
            painter->drawRect(rect.adjusted(1, 1, -2, -2));
        painter->restore();
    }
};

} // namespace

int formatStyleNo(const QTextCharFormat& format)
{
    return format.intProperty(rvfpStyleNo);
}

int formatItemId(const QTextCharFormat& format)
{
    return format.intProperty(rvfpItemId);
}

std::optional<QString> formatTag(const QTextCharFormat& format)
{
    if (!format.hasProperty(rvfpTag))
        return std::nullopt;
    return format.stringProperty(rvfpTag);
}

namespace {

bool isObjectFormat(const QTextCharFormat& format)
{
    return format.objectType() != QTextFormat::NoObject || format.hasProperty(rvfpKind);
}

// Whether two neighbouring pieces of text belong to one item. Text from outside has no id yet:
// each of its pieces is an item of its own until it gets one.
bool sameItem(const QTextCharFormat& a, const QTextCharFormat& b)
{
    return formatItemId(a) != 0 && formatItemId(a) == formatItemId(b)
        && formatStyleNo(a) == formatStyleNo(b) && formatTag(a) == formatTag(b);
}

QTextCharFormat withId(QTextCharFormat format, int id)
{
    format.setProperty(rvfpItemId, id);
    return format;
}

} // namespace

RVTextDocument::Role RVTextDocument::modelRole(const RVItem& item)
{
    if (item.continuesParagraph())
        return Role::Continues;
    return item.Options & rvioBR ? Role::LineStart : Role::ParagraphStart;
}

RVTextDocument::RVTextDocument(QTextDocument* document, TRVStyle style)
    : m_document(document), m_layout(new RVDocumentLayout(document)), m_style(std::move(style))
{
    // QTextDocumentLayout moves every block below an edit; this layout moves none.
    m_document->setDocumentLayout(m_layout);
    m_document->documentLayout()->registerHandler(
        rvRecordObjectType, new RecordObjectHandler(m_document));
    m_changes = QObject::connect(m_document, &QTextDocument::contentsChange, m_document,
        [this](int from, int, int) { invalidateFrom(from); });
}

RVTextDocument::~RVTextDocument()
{
    QObject::disconnect(m_changes);
}

void RVTextDocument::setStyle(TRVStyle style)
{
    m_style = std::move(style);
    m_looks.clear();
    if (m_document->isEmpty())
        return;
    // Restyling is not an edit of the learner's: it leaves no undo step.
    const bool modified = m_document->isModified();
    m_document->setUndoRedoEnabled(false);
    QTextCursor c(m_document);
    c.beginEditBlock();
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        QTextCursor b(block);
        b.setBlockFormat(paragraphFormat(block.blockFormat().intProperty(rvfpBlockParaNo)));
        for (const RVItemSpan& span : blockItems(block)) {
            if (span.Object || span.Start == span.End)
                continue;
            QTextCharFormat format = span.Format;
            applyLook(format, formatStyleNo(format));
            setRange(span.Start, span.End, format);
        }
    }
    c.endEditBlock();
    m_document->setUndoRedoEnabled(true);
    m_document->setModified(modified);
}

void RVTextDocument::applyLook(QTextCharFormat& format, int styleNo) const
{
    // Properties at Qt's defaults are left out: every item has a format of its own, and a
    // shorter one keeps a large document small.
    auto set = [&format](int property, const QVariant& value, bool wanted) {
        if (wanted)
            format.setProperty(property, value);
        else
            format.clearProperty(property);
    };
    const TFontInfo style = m_style.TextStyles.value(styleNo);
    format.setFontFamilies(QStringList { style.FontName } + cjkFallbackFamilies());
    format.setFontPointSize(style.Size > 0 ? style.Size : 10);
    set(QTextFormat::FontWeight, int(QFont::Bold), style.Style & fsBold);
    set(QTextFormat::FontItalic, true, style.Style & fsItalic);
    set(QTextFormat::TextUnderlineStyle, int(QTextCharFormat::SingleUnderline),
        style.Style & fsUnderline);
    format.clearProperty(QTextFormat::FontUnderline);
    set(QTextFormat::FontStrikeOut, true, style.Style & fsStrikeOut);
    set(QTextFormat::FontOverline, true, style.StyleEx & 1);
    set(QTextFormat::FontCapitalization, int(QFont::AllUppercase), style.StyleEx & 2);
    format.setForeground(qColor(style.Color));
    const QColor back = qColor(style.BackColor);
    set(QTextFormat::BackgroundBrush, QBrush(back), back.isValid());
    set(QTextFormat::TextBaselineOffset, qreal(style.VShift), style.VShift != 0);
    set(QTextFormat::FontStretch, style.CharScale, style.CharScale != 100 && style.CharScale > 0);
    set(QTextFormat::FontLetterSpacingType, int(QFont::AbsoluteSpacing), style.CharSpacing != 0);
    set(QTextFormat::FontLetterSpacing, qreal(style.CharSpacing), style.CharSpacing != 0);
}

const QTextCharFormat& RVTextDocument::look(int styleNo) const
{
    auto it = m_looks.constFind(styleNo);
    if (it == m_looks.cend()) {
        QTextCharFormat format;
        applyLook(format, styleNo);
        it = m_looks.insert(styleNo, format);
    }
    return *it;
}

QTextCharFormat RVTextDocument::newTextFormat(int styleNo)
{
    QTextCharFormat format = look(styleNo);
    format.setProperty(rvfpStyleNo, styleNo);
    format.setProperty(rvfpItemId, newItemId());
    return format;
}

QTextBlockFormat RVTextDocument::paragraphFormat(int paraNo) const
{
    const TParaInfo para = m_style.ParaStyles.value(paraNo);
    QTextBlockFormat format;
    format.setProperty(rvfpBlockParaNo, paraNo);
    switch (para.Alignment) {
    case rvaLeft:
        format.setAlignment(Qt::AlignLeft);
        break;
    case rvaRight:
        format.setAlignment(Qt::AlignRight);
        break;
    case rvaCenter:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case rvaJustify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    format.setTextIndent(para.FirstIndent);
    format.setLeftMargin(para.LeftIndent);
    format.setRightMargin(para.RightIndent);
    format.setTopMargin(para.SpaceBefore);
    format.setBottomMargin(para.SpaceAfter);
    if (para.LineSpacingType == rvlsSpaceBetween)
        format.setLineHeight(para.LineSpacing, QTextBlockFormat::LineDistanceHeight);
    else if (para.LineSpacing != 100)
        format.setLineHeight(para.LineSpacing, QTextBlockFormat::ProportionalHeight);
    if (const QColor back = qColor(para.Background.Color); back.isValid())
        format.setBackground(back);
    if (para.Options & 1) // no wrap
        format.setNonBreakableLines(true);
    if (para.BiDiMode != rvbdUnspecified)
        format.setLayoutDirection(
            para.BiDiMode == rvbdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    return format;
}

QImage RVTextDocument::placeholderPicture()
{
    static const QImage image = [] {
        QImage img(32, 32, QImage::Format_ARGB32);
        img.fill(QColor(224, 224, 224));
        QPainter p(&img);
        p.setPen(QPen(Qt::darkGray, 1));
        p.drawRect(0, 0, 31, 31);
        p.drawLine(0, 0, 31, 31);
        p.drawLine(31, 0, 0, 31);
        return img;
    }();
    return image;
}

QTextCharFormat RVTextDocument::itemFormat(const RVItem& item, int id, int paraNo)
{
    QTextCharFormat format;
    if (item.isText()) {
        format = look(item.StyleNo);
        format.setProperty(rvfpStyleNo, item.StyleNo);
    } else if (isPicture(item.Kind)) {
        QImage image;
        if (item.Record)
            image = QImage::fromData(pictureData(*item.Record));
        if (image.isNull())
            image = placeholderPicture();
        // Item ids repeat across paragraphs; resource names must not.
        const QString name = u"ecolvar-picture:%1"_s.arg(++m_pictures);
        m_document->addResource(QTextDocument::ImageResource, QUrl(name), image);
        QTextImageFormat picture;
        picture.setName(name);
        picture.setWidth(image.width());
        picture.setHeight(image.height());
        format = picture;
    } else {
        format.setObjectType(rvRecordObjectType);
    }
    format.setProperty(rvfpItemId, id);
    if (!item.isText()) {
        format.setProperty(rvfpKind, item.Kind);
        format.setProperty(rvfpRecord, QVariant::fromValue(item.Record));
    }
    // The option bits and paragraph field follow from the item's place in the document; they
    // are kept only where they say more (the Unicode bit is the writer's business).
    const int placeBits = item.Options & ~rvioUnicode;
    const bool plain = item.continuesParagraph()
        ? placeBits == rvioSameAsPrev
        : (item.Options & rvioBR ? placeBits == rvioBR && item.ParaNo == paraNo
                                 : placeBits == 0 || placeBits == rvioPageBreakBefore);
    if (!plain) {
        format.setProperty(rvfpOptions, int(item.Options));
        format.setProperty(rvfpParaNo, item.ParaNo);
    }
    if (item.Tag)
        format.setProperty(rvfpTag, *item.Tag);
    if (!item.Hint.isEmpty())
        format.setProperty(rvfpHint, item.Hint);
    if (item.Checkpoint)
        format.setProperty(rvfpCheckpoint, QVariant::fromValue(item.Checkpoint));
    return format;
}

void RVTextDocument::clear()
{
    setContents({});
}

void RVTextDocument::insertItems(
    QTextCursor& c, const QList<RVItem>& items, bool atStart, bool sharedIds)
{
    // With shared ids, the n-th item of every paragraph gets the same id, so that equal items
    // of different paragraphs share one character format (ids need only differ inside a
    // paragraph); the ids stay above every id handed out before, and newItemId() goes on
    // above them.
    const int base = m_lastId;
    int local = 0;
    auto nextId = [&] {
        if (!sharedIds)
            return newItemId();
        ++local;
        m_lastId = qMax(m_lastId, base + local);
        return base + local;
    };
    // Formats of plain text items by style and id: one format object per pair keeps the
    // document's format collection from hashing a fresh format for every item.
    QHash<quint64, QTextCharFormat> plainFormats;
    QHash<int, QTextBlockFormat> paraFormats;
    auto formatOf = [&](const RVItem& item, int id, int paraNo) {
        const bool plain
            = sharedIds && item.isText() && !item.Tag && item.Hint.isEmpty() && !item.Checkpoint;
        if (!plain)
            return itemFormat(item, id, paraNo);
        QTextCharFormat format = itemFormat(item, id, paraNo);
        if (format.hasProperty(rvfpOptions))
            return format;
        const quint64 key = quint64(quint32(item.StyleNo)) << 32 | quint32(id);
        auto it = plainFormats.constFind(key);
        if (it == plainFormats.cend())
            it = plainFormats.insert(key, format);
        return *it;
    };
    // A dropped empty item's line start passes to the next item of its line.
    const RVItem* lineOwner = nullptr;
    Role ownerRole = Role::Continues;
    bool first = true; // nothing inserted yet
    int paraNo = c.blockFormat().intProperty(rvfpBlockParaNo);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const RVItem& item = items[i];
        Role role = modelRole(item);
        if (i == 0)
            role = atStart ? Role::ParagraphStart : Role::Continues;
        const bool empty = item.isText() && item.Text.isEmpty();
        const bool nextContinues
            = i + 1 < items.size() && modelRole(items[i + 1]) == Role::Continues;
        if (empty && (nextContinues || role == Role::Continues)) {
            if (role != Role::Continues && !lineOwner) {
                lineOwner = &item;
                ownerRole = role;
            }
            continue;
        }
        const RVItem& owner = lineOwner ? *lineOwner : item;
        const Role lineRole = lineOwner ? ownerRole : role;
        lineOwner = nullptr;
        if (lineRole == Role::ParagraphStart) {
            paraNo = qMax(owner.ParaNo, 0);
            local = 0;
        }
        const QTextCharFormat format = formatOf(item, nextId(), paraNo);
        QTextCharFormat lineFormat = format;
        if (!item.isText()) {
            lineFormat = look(0);
            lineFormat.setProperty(rvfpStyleNo, 0);
            lineFormat.setProperty(rvfpItemId, nextId());
        }
        if (lineRole == Role::ParagraphStart) {
            if (!paraFormats.contains(paraNo))
                paraFormats.insert(paraNo, paragraphFormat(paraNo));
            QTextBlockFormat para = paraFormats.value(paraNo);
            if (owner.Options & rvioPageBreakBefore)
                para.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            if (first && atStart) {
                c.setBlockFormat(para);
                c.setBlockCharFormat(lineFormat);
            } else {
                c.insertBlock(para, lineFormat);
            }
        } else if (lineRole == Role::LineStart) {
            c.insertText(QString(kLineSeparator), lineFormat);
        }
        first = false;
        if (item.isText())
            c.insertText(sanitisedText(item.Text), format);
        else
            c.insertText(QString(kObjectCharacter), format);
    }
}

void RVTextDocument::setContents(const RVDocument& doc)
{
    m_document->clear();
    m_itemsBefore.clear();
    m_document->setUndoRedoEnabled(false);
    QTextCursor c(m_document);
    c.beginEditBlock();
    c.setBlockFormat(paragraphFormat(0));
    c.setBlockCharFormat(newTextFormat(0));
    insertItems(c, doc.Items, true, true);
    QTextFrameFormat root = m_document->rootFrame()->frameFormat();
    if (doc.TrailingCheckpoint)
        root.setProperty(rvfpTrailingCheckpoint,
            QVariant::fromValue(std::make_shared<const RVCheckpoint>(*doc.TrailingCheckpoint)));
    else
        root.clearProperty(rvfpTrailingCheckpoint);
    m_document->rootFrame()->setFrameFormat(root);
    c.endEditBlock();
    m_document->setUndoRedoEnabled(true);
    m_document->setModified(false);
}

void RVTextDocument::insertContents(QTextCursor& cursor, const RVDocument& doc)
{
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        keepApart(cursor.selectionStart(), cursor.selectionEnd());
    cursor.removeSelectedText();
    const int from = cursor.position();
    insertItems(cursor, doc.Items, false, false);
    fixInserted(cursor, from, cursor.position());
    cursor.endEditBlock();
}

QList<RVItemSpan> RVTextDocument::blockItems(const QTextBlock& block) const
{
    QList<RVItemSpan> spans;
    bool lineHasItem = false;
    bool lineIsBreak = false;
    QTextCharFormat lineFormat = block.charFormat();
    auto closeLine = [&](int position) {
        if (!lineHasItem)
            spans.append({ position, position, lineIsBreak, false, lineFormat });
    };
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        const bool object = format.objectType() != QTextFormat::NoObject;
        const QString text = fragment.text();
        const int base = fragment.position();
        for (qsizetype i = 0; i < text.size();) {
            const int at = base + int(i);
            if (text[i] == kLineSeparator) {
                closeLine(at);
                lineHasItem = false;
                lineIsBreak = true;
                lineFormat = format;
                ++i;
                continue;
            }
            if (object && text[i] == kObjectCharacter) {
                spans.append({ at, at + 1, !lineHasItem && lineIsBreak, true, format });
                lineHasItem = true;
                ++i;
                continue;
            }
            qsizetype j = i;
            while (j < text.size() && text[j] != kLineSeparator
                && !(object && text[j] == kObjectCharacter))
                ++j;
            const int end = base + int(j);
            if (lineHasItem && !spans.last().Object && spans.last().End == at
                && sameItem(spans.last().Format, format)) {
                spans.last().End = end;
            } else {
                spans.append({ at, end, !lineHasItem && lineIsBreak, false, format });
                lineHasItem = true;
            }
            i = j;
        }
    }
    closeLine(block.position() + block.length() - 1);
    return spans;
}

RVItem RVTextDocument::spanItem(
    const RVItemSpan& span, int from, int to, Role role, const BlockData& block) const
{
    const QTextCharFormat& f = span.Format;
    RVItem item;
    if (span.Object) {
        item.Kind = f.intProperty(rvfpKind);
        if (item.Kind >= 0) // an object that came from outside: keep it as an empty picture
            item.Kind = rvrkPicture;
        item.Record = f.property(rvfpRecord).value<RVRecordPtr>();
    } else {
        item.StyleNo = formatStyleNo(f);
        item.Text = block.text.mid(from - block.textBase, to - from).toString();
        if (f.hasProperty(rvfpHint))
            item.Hint = f.stringProperty(rvfpHint);
    }
    item.Tag = formatTag(f);
    if (from == span.Start && f.hasProperty(rvfpCheckpoint))
        item.Checkpoint = f.property(rvfpCheckpoint).value<RVCheckpointPtr>();

    // The option bits and paragraph field as loaded, where the item still has the place it
    // was loaded in; otherwise those of its place now.
    const bool stored = f.hasProperty(rvfpOptions) && f.hasProperty(rvfpParaNo);
    const int storedOptions = stored ? f.intProperty(rvfpOptions) : 0;
    const int storedPara = stored ? f.intProperty(rvfpParaNo) : 0;
    RVItem probe;
    probe.ParaNo = storedPara;
    probe.Options = quint8(storedOptions);
    const bool samePlace = stored && modelRole(probe) == role;
    const int blockPara = block.paraNo;
    const quint8 otherBits
        = quint8(storedOptions & ~(rvioSameAsPrev | rvioPageBreakBefore | rvioBR));
    switch (role) {
    case Role::ParagraphStart: {
        const bool pageBreak
            = from == block.position + (span.LineStart ? 1 : 0) && block.pageBreakBefore;
        item.ParaNo = blockPara;
        item.Options = quint8((samePlace ? storedOptions & ~rvioPageBreakBefore : otherBits)
            | (pageBreak ? rvioPageBreakBefore : 0));
        break;
    }
    case Role::LineStart:
        item.ParaNo = samePlace ? storedPara : blockPara;
        item.Options = samePlace ? quint8(storedOptions) : quint8(otherBits | rvioBR);
        break;
    case Role::Continues:
        item.ParaNo = -1;
        item.Options = samePlace ? quint8(storedOptions) : quint8(otherBits | rvioSameAsPrev);
        break;
    }
    return item;
}

bool RVTextDocument::isBlank() const
{
    // An empty document is one empty paragraph with nothing of its own.
    if (m_document->characterCount() > 1 || trailingCheckpoint())
        return false;
    const QTextCharFormat format = m_document->begin().charFormat();
    return !isObjectFormat(format) && !format.hasProperty(rvfpTag)
        && !format.hasProperty(rvfpCheckpoint);
}

std::optional<RVCheckpoint> RVTextDocument::trailingCheckpoint() const
{
    if (const auto trailing = m_document->rootFrame()
                                  ->frameFormat()
                                  .property(rvfpTrailingCheckpoint)
                                  .value<RVCheckpointPtr>())
        return *trailing;
    return std::nullopt;
}

RVDocument RVTextDocument::contents() const
{
    RVDocument doc;
    Items(*this).forEach([&doc](const RVItem& item) {
        doc.Items.append(item);
        return true;
    });
    doc.TrailingCheckpoint = trailingCheckpoint();
    return doc;
}

RVDocument RVTextDocument::contents(int from, int to) const
{
    RVDocument doc;
    forEachItem(from, to, [&doc](const RVItem& item) {
        doc.Items.append(item);
        return true;
    });
    return doc;
}

bool RVTextDocument::forEachItem(
    int from, int to, const std::function<bool(const RVItem&)>& visit) const
{
    bool first = true;
    // A large range takes its text from one copy of the document's text (positions as in the
    // document) rather than block by block.
    const bool large = qint64(to) - from > 65536;
    const QString raw = large ? m_document->toRawText() : QString();
    for (QTextBlock block = m_document->findBlock(from); block.isValid(); block = block.next()) {
        const int position = block.position();
        if (position >= to)
            break;
        const QTextBlockFormat format = block.blockFormat();
        const QString blockText = large ? QString() : block.text();
        const BlockData data { position, large ? QStringView(raw) : QStringView(blockText),
            large ? 0 : position, format.intProperty(rvfpBlockParaNo),
            bool(format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) };
        const QList<RVItemSpan> spans = blockItems(block);
        bool firstOfBlock = true;
        for (const RVItemSpan& span : spans) {
            const int a = qMax(span.Start, from);
            const int b = qMin(span.End, to);
            const bool inside
                = span.Start == span.End ? from <= span.Start && span.Start < to : a < b;
            if (!inside)
                continue;
            Role role = Role::Continues;
            if (first || firstOfBlock)
                role = Role::ParagraphStart;
            else if (span.LineStart && a == span.Start && span.Start - 1 >= from)
                role = Role::LineStart;
            if (!visit(spanItem(span, a, span.Object ? span.End : b, role, data)))
                return false;
            first = false;
            firstOfBlock = false;
        }
    }
    return true;
}

bool RVTextDocument::Items::forEach(const std::function<bool(const RVItem&)>& visit) const
{
    if (m_doc.isBlank())
        return true;
    return m_doc.forEachItem(0, m_doc.document()->characterCount(), visit);
}

std::optional<RVCheckpoint> RVTextDocument::Items::trailingCheckpoint() const
{
    return m_doc.trailingCheckpoint();
}

qsizetype RVTextDocument::Items::textSize() const
{
    return m_doc.document()->characterCount();
}

void RVTextDocument::invalidateFrom(int position)
{
    if (m_itemsBefore.isEmpty())
        return;
    const int block = m_document->findBlock(position).blockNumber();
    if (block >= 0 && block + 1 < m_itemsBefore.size())
        m_itemsBefore.resize(block + 1);
    else if (block < 0)
        m_itemsBefore.clear();
}

qsizetype RVTextDocument::firstItemOfBlock(int blockNumber) const
{
    if (m_itemsBefore.isEmpty())
        m_itemsBefore.append(0);
    if (blockNumber < m_itemsBefore.size())
        return m_itemsBefore[blockNumber];
    QTextBlock block = m_document->findBlockByNumber(int(m_itemsBefore.size()) - 1);
    while (m_itemsBefore.size() <= blockNumber && block.isValid()) {
        m_itemsBefore.append(m_itemsBefore.last() + blockItems(block).size());
        block = block.next();
    }
    return m_itemsBefore.value(blockNumber, m_itemsBefore.last());
}

qsizetype RVTextDocument::itemCount() const
{
    const QTextBlock last = m_document->lastBlock();
    return firstItemOfBlock(last.blockNumber()) + blockItems(last).size();
}

std::optional<RVItemSpan> RVTextDocument::item(qsizetype index) const
{
    if (index < 0)
        return std::nullopt;
    // Count the items of the blocks only as far as the one that holds index.
    firstItemOfBlock(0);
    QTextBlock block = m_document->findBlockByNumber(int(m_itemsBefore.size()) - 1);
    while (m_itemsBefore.last() <= index && block.isValid()) {
        m_itemsBefore.append(m_itemsBefore.last() + blockItems(block).size());
        block = block.next();
    }
    const auto it = std::upper_bound(m_itemsBefore.cbegin(), m_itemsBefore.cend(), index);
    if (it == m_itemsBefore.cend())
        return std::nullopt;
    const int blockNumber = int(it - m_itemsBefore.cbegin()) - 1;
    const QList<RVItemSpan> spans = blockItems(m_document->findBlockByNumber(blockNumber));
    const qsizetype local = index - m_itemsBefore[blockNumber];
    if (local >= spans.size())
        return std::nullopt;
    return spans[local];
}

RVItemSpan RVTextDocument::spanAt(int position, qsizetype* localIndex) const
{
    const QTextBlock block = m_document->findBlock(position);
    const QList<RVItemSpan> spans = blockItems(block);
    for (qsizetype i = 0; i < spans.size(); ++i) {
        if (spans[i].Start <= position && position <= spans[i].End) {
            if (localIndex)
                *localIndex = i;
            return spans[i];
        }
    }
    if (localIndex)
        *localIndex = spans.size() - 1;
    return spans.last();
}

RVItemOffset RVTextDocument::itemOffsetAt(int position) const
{
    qsizetype local = 0;
    const RVItemSpan span = spanAt(position, &local);
    const int blockNumber = m_document->findBlock(position).blockNumber();
    const int offset = span.Object ? position - span.Start : position - span.Start + 1;
    return { firstItemOfBlock(blockNumber) + local, offset };
}

RVSelectionBounds RVTextDocument::selectionBounds(const QTextCursor& cursor) const
{
    return { itemOffsetAt(cursor.selectionStart()), itemOffsetAt(cursor.selectionEnd()) };
}

int RVTextDocument::offsetBeforeItem(qsizetype index) const
{
    const std::optional<RVItemSpan> span = item(index);
    return span && span->Object ? 0 : 1;
}

int RVTextDocument::offsetAfterItem(qsizetype index) const
{
    const std::optional<RVItemSpan> span = item(index);
    if (!span)
        return 1;
    return span->Object ? 1 : span->End - span->Start + 1;
}

std::optional<QString> RVTextDocument::itemTag(qsizetype index) const
{
    const std::optional<RVItemSpan> span = item(index);
    return span ? formatTag(span->Format) : std::nullopt;
}

QString RVTextDocument::currentItemTag(const QTextCursor& cursor) const
{
    return formatTag(spanAt(cursor.position(), nullptr).Format).value_or(QString());
}

void RVTextDocument::setRange(int from, int to, const QTextCharFormat& format)
{
    QTextCursor c(m_document);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.setCharFormat(format);
}

void RVTextDocument::setSpanFormat(const RVItemSpan& span, const QTextCharFormat& format)
{
    if (span.Start != span.End) {
        setRange(span.Start, span.End, format);
        return;
    }
    const QTextBlock block = m_document->findBlock(span.Start);
    if (span.LineStart) // an empty line inside a paragraph: the format of its U+2028
        setRange(span.Start - 1, span.Start, format);
    else
        QTextCursor(block).setBlockCharFormat(format);
}

QTextCharFormat RVTextDocument::restyled(const QTextCharFormat& format, int styleNo) const
{
    QTextCharFormat out = format;
    applyLook(out, styleNo);
    out.setProperty(rvfpStyleNo, styleNo);
    out.clearProperty(rvfpTag);
    return out;
}

void RVTextDocument::applyStyle(QTextCursor& cursor, int styleNo)
{
    if (styleNo < 0 || styleNo >= m_style.TextStyles.size())
        return;
    if (!cursor.hasSelection()) {
        const QTextBlock block = cursor.block();
        if (block.length() == 1 && formatStyleNo(block.charFormat()) != styleNo) {
            const QTextCharFormat format = restyled(block.charFormat(), styleNo);
            cursor.setBlockCharFormat(format);
            cursor.setCharFormat(format);
        } else if (block.length() > 1) {
            cursor.setCharFormat(newTextFormat(styleNo));
        }
        return;
    }
    const int s = cursor.selectionStart();
    const int e = cursor.selectionEnd();
    cursor.beginEditBlock();
    for (QTextBlock block = m_document->findBlock(s); block.isValid() && block.position() <= e;
         block = block.next()) {
        for (const RVItemSpan& span : blockItems(block)) {
            if (span.Object || formatStyleNo(span.Format) == styleNo)
                continue;
            if (span.Start == span.End) {
                if (s <= span.Start && span.Start < e)
                    setSpanFormat(span, restyled(span.Format, styleNo));
                continue;
            }
            const int a = qMax(span.Start, s);
            const int b = qMin(span.End, e);
            if (a >= b)
                continue;
            const bool whole = a == span.Start && b == span.End;
            QTextCharFormat format = restyled(span.Format, styleNo);
            if (!whole)
                format.setProperty(rvfpItemId, newItemId());
            if (a > span.Start)
                format.clearProperty(rvfpCheckpoint);
            setRange(a, b, format);
            if (a > span.Start && b < span.End) {
                QTextCharFormat right = withId(span.Format, newItemId());
                right.clearProperty(rvfpCheckpoint);
                setRange(b, span.End, right);
            }
        }
        joinNeighbours(block, s, e);
    }
    invalidateFrom(s);
    cursor.endEditBlock();
}

void RVTextDocument::joinNeighbours(const QTextBlock& block, int from, int to)
{
    const QList<RVItemSpan> spans = blockItems(block);
    if (spans.isEmpty())
        return;
    // The format of the item that the run being joined starts with.
    QTextCharFormat leading = spans[0].Format;
    for (qsizetype k = 1; k < spans.size(); ++k) {
        const RVItemSpan& left = spans[k - 1];
        const RVItemSpan& right = spans[k];
        const bool joins = !left.Object && !right.Object && !right.LineStart && from <= right.Start
            && right.Start <= to && formatStyleNo(left.Format) == formatStyleNo(right.Format)
            && formatTag(left.Format).value_or(QString())
                == formatTag(right.Format).value_or(QString())
            && left.Format.stringProperty(rvfpHint) == right.Format.stringProperty(rvfpHint)
            && !right.Format.hasProperty(rvfpCheckpoint);
        if (joins)
            setRange(right.Start, right.End, leading);
        else
            leading = right.Format;
    }
}

void RVTextDocument::setItemTag(
    QTextCursor& cursor, qsizetype index, const std::optional<QString>& tag)
{
    const std::optional<RVItemSpan> span = item(index);
    if (!span || formatTag(span->Format) == tag)
        return;
    QTextCharFormat format = span->Format;
    if (tag)
        format.setProperty(rvfpTag, *tag);
    else
        format.clearProperty(rvfpTag);
    cursor.beginEditBlock();
    setSpanFormat(*span, format);
    invalidateFrom(span->Start);
    cursor.endEditBlock();
}

int RVTextDocument::textStyleFor(const QTextCharFormat& format)
{
    TFontInfo wanted;
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        wanted.FontName = families.first();
    if (format.fontPointSize() > 0)
        wanted.Size = qRound(format.fontPointSize());
    wanted.Style = (format.fontWeight() >= QFont::Bold ? quint32(fsBold) : 0u)
        | (format.fontItalic() ? quint32(fsItalic) : 0u)
        | (format.fontUnderline() ? quint32(fsUnderline) : 0u)
        | (format.fontStrikeOut() ? quint32(fsStrikeOut) : 0u);
    if (format.hasProperty(QTextFormat::ForegroundBrush)
        && format.foreground().style() != Qt::NoBrush)
        wanted.Color = fromQColor(format.foreground().color());
    if (format.hasProperty(QTextFormat::BackgroundBrush)
        && format.background().style() != Qt::NoBrush)
        wanted.BackColor = rgbColor(format.background().color().red(),
            format.background().color().green(), format.background().color().blue());
    for (qsizetype i = 0; i < m_style.TextStyles.size(); ++i) {
        const TFontInfo& s = m_style.TextStyles[i];
        if (s.FontName.compare(wanted.FontName, Qt::CaseInsensitive) == 0 && s.Size == wanted.Size
            && s.Style == wanted.Style && s.Color == wanted.Color && s.BackColor == wanted.BackColor
            && !s.Jump && s.StyleEx == 0)
            return int(i);
    }
    return addTextStyle(wanted);
}

int RVTextDocument::addTextStyle(const TFontInfo& style)
{
    const qsizetype found = m_style.TextStyles.indexOf(style);
    if (found >= 0)
        return int(found);
    m_style.TextStyles.append(style);
    m_looks.remove(int(m_style.TextStyles.size() - 1));
    return int(m_style.TextStyles.size() - 1);
}

int RVTextDocument::paraStyleFor(const QTextBlockFormat& format)
{
    TRVAlignment alignment = rvaLeft;
    if (format.alignment() & Qt::AlignHCenter)
        alignment = rvaCenter;
    else if (format.alignment() & Qt::AlignRight)
        alignment = rvaRight;
    else if (format.alignment() & Qt::AlignJustify)
        alignment = rvaJustify;
    for (qsizetype i = 0; i < m_style.ParaStyles.size(); ++i) {
        if (m_style.ParaStyles[i].Alignment == alignment)
            return int(i);
    }
    TParaInfo para;
    para.Alignment = alignment;
    m_style.ParaStyles.append(para);
    return int(m_style.ParaStyles.size() - 1);
}

void RVTextDocument::fixInserted(QTextCursor& cursor, int from, int to)
{
    invalidateFrom(from);
    QSet<int> seen;
    const QTextBlock last = m_document->findBlock(to);
    for (QTextBlock block = m_document->findBlock(from); block.isValid(); block = block.next()) {
        if (!block.blockFormat().hasProperty(rvfpBlockParaNo))
            QTextCursor(block).setBlockFormat(paragraphFormat(paraStyleFor(block.blockFormat())));
        for (const RVItemSpan& span : blockItems(block)) {
            const int id = formatItemId(span.Format);
            const bool foreign = !span.Object && !span.Format.hasProperty(rvfpStyleNo);
            if (!foreign && id != 0 && !seen.contains(id)) {
                seen.insert(id);
                continue;
            }
            QTextCharFormat format = foreign ? newTextFormat(textStyleFor(span.Format))
                                             : withId(span.Format, newItemId());
            seen.insert(formatItemId(format));
            setSpanFormat(span, format);
        }
        if (block == last)
            break;
    }
    if (!cursor.hasSelection()) {
        const QTextCharFormat typing = typingFormat(cursor);
        if (typing != cursor.charFormat())
            cursor.setCharFormat(typing);
    }
}

void RVTextDocument::keepApart(int from, int to)
{
    const QTextBlock first = m_document->findBlock(from);
    const QTextBlock last = m_document->findBlock(to);
    if (!first.isValid() || !last.isValid() || first == last)
        return;
    // Ids differ only inside a paragraph: the items that will meet when [from, to) goes could
    // carry the same one.
    const RVItemSpan left = spanAt(from, nullptr);
    std::optional<RVItemSpan> right;
    for (const RVItemSpan& span : blockItems(last)) {
        if (span.Start <= to && (to < span.End || span.Start == span.End)) {
            right = span;
            break;
        }
    }
    if (!right || left.Object || right->Object || !sameItem(left.Format, right->Format))
        return;
    setSpanFormat(*right, withId(right->Format, newItemId()));
}

QTextCharFormat RVTextDocument::typingFormat(const QTextCursor& cursor)
{
    QTextCharFormat format = cursor.charFormat();
    if (format.hasProperty(rvfpStyleNo) && !isObjectFormat(format))
        return format;
    // After a picture: the next item's look, when it is text in the same paragraph.
    const QTextBlock block = cursor.block();
    if (cursor.position() < block.position() + block.length() - 1) {
        QTextCursor next(cursor);
        next.clearSelection();
        next.movePosition(QTextCursor::NextCharacter);
        QTextCharFormat after = next.charFormat();
        if (after.hasProperty(rvfpStyleNo) && !isObjectFormat(after))
            return after;
    }
    return newTextFormat(0);
}

} // namespace ecolvar

#include "rvtextdocument.moc"
