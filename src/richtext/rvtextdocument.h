#pragma once

#include "richtext/rvdocument.h"
#include "richtext/rvdocumentformat.h"
#include "richtext/rvstyle.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>
#include <memory>
#include <optional>

namespace ecolvar {

class RVDocumentLayout;

// User properties of the formats that carry the items' data inside a QTextDocument.
enum RVFormatProperty : int {
    // Character formats of items.
    rvfpStyleNo = QTextFormat::UserProperty + 0x4500, // int, text style number
    rvfpItemId, // int, unique among the items of a paragraph: equal neighbours stay two items,
    // while equal items of different paragraphs share one format (an int, which the format
    // collection hashes by value)
    rvfpTag, // QString; the property is absent when the item has no tag
    rvfpHint, // QString, only when not empty
    rvfpCheckpoint, // RVCheckpointPtr, only when the item has one
    rvfpKind, // int, only for items that are not text (an RVRecordKind)
    rvfpRecord, // RVRecordPtr, items that are not text
    // The option bits and paragraph field the item was loaded with, where they say more than
    // its place in the document.
    rvfpOptions, // int
    rvfpParaNo, // int
    // Block formats: the paragraph style number.
    rvfpBlockParaNo,
    // The root frame's format: the checkpoint after the last item.
    rvfpTrailingCheckpoint,
};

// Object type of the characters that stand for opaque records other than pictures.
inline constexpr int rvRecordObjectType = QTextFormat::UserObject + 0x45;

using RVCheckpointPtr = std::shared_ptr<const RVCheckpoint>;
using RVRecordPtr = std::shared_ptr<const RVRecord>;

// A place in the document as item index (from 0) and offset: in a text item of n characters,
// 1 stands before its first character and n + 1 after its last; in any other item 0 before it
// and 1 after it. A place between two items of one line belongs to the item on its left.
struct RVItemOffset {
    qsizetype Item = 0;
    int Offset = 0;
    bool operator==(const RVItemOffset&) const = default;
};

struct RVSelectionBounds {
    RVItemOffset Start;
    RVItemOffset End;
    bool operator==(const RVSelectionBounds&) const = default;
};

// Where one item lies in the QTextDocument. Start and End bound its text (an object character
// for other items); a text item that starts a line inside a paragraph has its U+2028 at
// Start - 1. An empty paragraph is one empty text item.
struct RVItemSpan {
    int Start = 0;
    int End = 0;
    bool LineStart = false; // preceded by U+2028
    bool Object = false;
    QTextCharFormat Format;
};

// The model's items kept in a QTextDocument: each text item is a run of characters whose
// character format carries the look of its text style and the item's data (RVFormatProperty);
// paragraph styles ride on block formats; a line start inside a paragraph is U+2028; a page
// break is the block's page-break policy; pictures are image objects and other records object
// characters that keep their record. Converts the model in and out, maps document positions to
// item indexes, and edits items (style application, tags) through a QTextCursor so that each
// operation is one undo step. Does not own the QTextDocument; holds the style sheet.
class RVTextDocument {
public:
    RVTextDocument(QTextDocument* document, TRVStyle style);
    ~RVTextDocument();
    RVTextDocument(const RVTextDocument&) = delete;
    RVTextDocument& operator=(const RVTextDocument&) = delete;

    QTextDocument* document() const { return m_document; }
    // The document's layout, installed by the constructor.
    RVDocumentLayout* layout() const { return m_layout; }
    const TRVStyle& style() const { return m_style; }
    // Replaces the style sheet and restyles every item (no undo step).
    void setStyle(TRVStyle style);

    // Replaces the document by doc: no undo history, modified flag false. Empty text items that
    // share their paragraph with other items are dropped (a QTextDocument cannot hold them);
    // their line start passes to the next item. Characters that would break the paragraph
    // (CR, LF, U+2028, U+2029, U+FFFC) inside an item's text become U+FFFD.
    void setContents(const RVDocument& doc);
    // The model of the whole document, or of [from, to) (for the clipboard).
    RVDocument contents() const;
    RVDocument contents(int from, int to) const;
    // The items of [from, to) as contents(from, to) has them, handed to visit one by one
    // until it returns false; false when visit stopped it.
    bool forEachItem(int from, int to, const std::function<bool(const RVItem&)>& visit) const;
    // The items of the whole document as contents() has them, straight from the blocks.
    class Items : public RVItemSource {
    public:
        explicit Items(const RVTextDocument& doc) : m_doc(doc) { }
        bool forEach(const std::function<bool(const RVItem&)>& visit) const override;
        std::optional<RVCheckpoint> trailingCheckpoint() const override;
        qsizetype textSize() const override;

    private:
        const RVTextDocument& m_doc;
    };
    // Empties the document: no items but one empty paragraph, no undo history, not modified.
    void clear();
    // Inserts doc at the cursor (replacing its selection) as one undo step, every item with a
    // fresh id; its text styles are looked up in style by number.
    void insertContents(QTextCursor& cursor, const RVDocument& doc);

    // Items.
    QList<RVItemSpan> blockItems(const QTextBlock& block) const;
    qsizetype itemCount() const;
    // Where item index lies; nothing for an index out of range.
    std::optional<RVItemSpan> item(qsizetype index) const;
    RVItemOffset itemOffsetAt(int position) const;
    RVSelectionBounds selectionBounds(const QTextCursor& cursor) const;
    int offsetBeforeItem(qsizetype index) const;
    int offsetAfterItem(qsizetype index) const;
    std::optional<QString> itemTag(qsizetype index) const;
    // The tag of the item holding the caret; empty when it has none.
    QString currentItemTag(const QTextCursor& cursor) const;

    // Editing, each call one undo step unless an edit block is already open on the document.
    // Gives the selection text style styleNo (see TRichTextEdit::ApplyStyleToSelection).
    void applyStyle(QTextCursor& cursor, int styleNo);
    // Sets or removes the tag of item index; nothing when it already has that tag.
    void setItemTag(QTextCursor& cursor, qsizetype index, const std::optional<QString>& tag);
    // After text was inserted in [from, to): gives a fresh id to every item of the blocks
    // touched whose id stands earlier in them (the right half of a split item), turns text and
    // paragraphs from outside into items of the style sheet (adding the styles they need), and
    // makes the format of text typed at the cursor a text item's. Called after typing, Enter,
    // an input-method commit and a paste, inside their undo step.
    void fixInserted(QTextCursor& cursor, int from, int to);
    // Before [from, to) is removed: when it ends a paragraph, gives the item after it a fresh
    // id if the item before it has the same, so that the two stay two items. Called inside
    // the removal's undo step.
    void keepApart(int from, int to);
    // The character format text typed at the cursor would get, made a text item's format when
    // it is an object's or has no style (after a picture, or in a cleared document).
    QTextCharFormat typingFormat(const QTextCursor& cursor);

    // Formats.
    int newItemId() { return ++m_lastId; }
    // The format of a new text item of style styleNo with a fresh id and no tag.
    QTextCharFormat newTextFormat(int styleNo);
    QTextBlockFormat paragraphFormat(int paraNo) const;
    // The number of the text style equal to style, added to the sheet when there is none.
    int addTextStyle(const TFontInfo& style);
    // The picture drawn where a picture's data cannot be shown.
    static QImage placeholderPicture();

private:
    enum class Role { ParagraphStart, LineStart, Continues };
    static Role modelRole(const RVItem& item);

    // Whether the document is one empty paragraph with nothing of its own: no items.
    bool isBlank() const;
    std::optional<RVCheckpoint> trailingCheckpoint() const;
    // Look up (or add) the text style that shows format's look and the paragraph style with
    // format's alignment; for rich text from outside.
    int textStyleFor(const QTextCharFormat& format);
    int paraStyleFor(const QTextBlockFormat& format);
    void applyLook(QTextCharFormat& format, int styleNo) const;
    // The look of text style styleNo, made once per style sheet.
    const QTextCharFormat& look(int styleNo) const;
    QTextCharFormat restyled(const QTextCharFormat& format, int styleNo) const;
    // The format of item in a paragraph of style paraNo.
    QTextCharFormat itemFormat(const RVItem& item, int id, int paraNo);
    void insertItems(QTextCursor& cursor, const QList<RVItem>& items, bool atStart, bool sharedIds);
    // What the items of a block take from it.
    struct BlockData {
        int position;
        QStringView text; // the block's text, or more
        int textBase; // the position of text's first character
        int paraNo;
        bool pageBreakBefore;
    };
    RVItem spanItem(
        const RVItemSpan& span, int from, int to, Role role, const BlockData& block) const;
    RVItemSpan spanAt(int position, qsizetype* localIndex) const;
    void setRange(int from, int to, const QTextCharFormat& format);
    void setSpanFormat(const RVItemSpan& span, const QTextCharFormat& format);
    void joinNeighbours(const QTextBlock& block, int from, int to);
    void invalidateFrom(int position);
    // Index of the first item of block number blockNumber.
    qsizetype firstItemOfBlock(int blockNumber) const;

    QTextDocument* m_document;
    RVDocumentLayout* m_layout;
    QMetaObject::Connection m_changes;
    TRVStyle m_style;
    int m_lastId = 0;
    int m_pictures = 0; // pictures added as resources, for their names
    mutable QHash<int, QTextCharFormat> m_looks;
    // Item counts summed over the blocks before each block, for the first blocks. Cut back at
    // every change; the document signals changes only when its outermost edit block closes,
    // so the edits made here cut it back themselves.
    mutable QList<qsizetype> m_itemsBefore;
};

// A stored colour as Qt shows it (system colours as on a light desktop theme); invalid for
// clNone and clDefault.
QColor qColor(TColor color);

// The model's data read from an item's character format.
int formatStyleNo(const QTextCharFormat& format);
int formatItemId(const QTextCharFormat& format);
std::optional<QString> formatTag(const QTextCharFormat& format);

} // namespace ecolvar
