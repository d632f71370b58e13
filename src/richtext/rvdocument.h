#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace ecolvar {

// Option bits of an item; at most one of the first three is set.
enum RVItemOption : quint8 {
    rvioSameAsPrev = 1, // continues the paragraph of the item before it (same line)
    rvioPageBreakBefore = 2, // starts a new paragraph on a new page
    rvioBR = 4, // starts a new line inside the current paragraph
    rvioUnicode = 8, // the text is stored as UTF-16 in the file
};

// A named position in the document, attached to the item that follows it.
struct RVCheckpoint {
    QString Name;
    std::optional<QString> Tag;
    bool RaiseEvent = false;
    bool Persistent = false;

    bool operator==(const RVCheckpoint&) const = default;
};

// Record kinds of the items that are not text; the document keeps them as opaque records.
enum RVRecordKind : int {
    rvrkBreak = -1, // horizontal line across the page
    rvrkPicture = -3,
    rvrkHotspot = -4,
    rvrkControl = -5,
    rvrkBullet = -6,
    rvrkHotPicture = -10,
    rvrkListMarker = -11,
    rvrkTab = -12,
    rvrkTable = -60,
};

// The part of an opaque record that is written back as it was read: the save type and line
// count of its header, the header fields after the tag (without the separating space), and the
// data lines with their line ends and binary blocks, byte for byte.
struct RVRecord {
    int SaveType = 0;
    int LineCount = 0;
    QByteArray Extra;
    QByteArray Data;

    bool operator==(const RVRecord&) const = default;
};

// One item of a document: a run of text in one text style, or an opaque record (picture,
// table, ...) that is written back exactly as it was read. The rarely present checkpoint and
// record data are shared and never changed in place (assign a new one), which keeps items small.
struct RVItem {
    // 0 for a text item; a negative RVRecordKind for an opaque record.
    int Kind = 0;
    // Text items: the text style number.
    int StyleNo = 0;
    // Paragraph style of the paragraph the item starts, or -1 when it continues the paragraph
    // of the item before it.
    int ParaNo = 0;
    quint8 Options = 0; // RVItemOption bits
    // Absent and empty differ: an annotation is a tag; "no tag" is std::nullopt.
    std::optional<QString> Tag;
    QString Hint;
    QString Text;
    std::shared_ptr<const RVCheckpoint> Checkpoint;
    std::shared_ptr<const RVRecord> Record; // opaque records only

    bool isText() const { return Kind >= 0; }
    bool continuesParagraph() const { return ParaNo < 0; }
    // Horizontal lines and tables stand alone on their line.
    bool occupiesWholeLine() const { return Kind == rvrkBreak || Kind == rvrkTable; }

    // Compares the checkpoints and records by value.
    bool operator==(const RVItem& other) const;

    // A text item that starts a paragraph of paragraph style paraNo (-1: continues one).
    static RVItem text(const QString& text, int styleNo = 0, int paraNo = 0,
        std::optional<QString> tag = std::nullopt);
};

// A document: its items in order, and a checkpoint that may stand after the last item.
struct RVDocument {
    QList<RVItem> Items;
    std::optional<RVCheckpoint> TrailingCheckpoint;

    bool isEmpty() const { return Items.isEmpty(); }
    void clear();
    // The paragraph style in force at item index: that of the paragraph the item belongs to
    // (0 when no item before it starts a paragraph).
    int paragraphStyleAt(qsizetype index) const;

    bool operator==(const RVDocument&) const = default;
};

} // namespace ecolvar
