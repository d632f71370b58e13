#pragma once

#include "richtext/rvdocumentformat.h"
#include "richtext/rvtextdocument.h"

#include <QString>
#include <QTextEdit>

#include <memory>

namespace ecolvar {

// The rich-text editor of a transcript pane: a QTextEdit over an RVTextDocument, with the
// pane's style sheet, the load and save of its document format, the item operations of the
// annotation commands and the pane's mouse, keyboard and clipboard settings. Owned by its
// parent widget.
class TRichTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit TRichTextEdit(TRVStyle style, QWidget* parent = nullptr);
    ~TRichTextEdit() override;

    // The format of loads and saves, and of selections on the clipboard under its own type;
    // without one, loads and saves fail and the clipboard carries plain text and HTML only.
    void setDocumentFormat(std::shared_ptr<const RVDocumentFormat> format);

    // The style sheet: set before a load; pasted rich text may add text styles to it.
    const TRVStyle& Style() const { return m_doc.style(); }
    void setStyle(TRVStyle style);
    RVTextDocument& richDocument() { return m_doc; }

    // Reads the file at path in the document format. When it cannot be opened: false and the
    // document as it was. Otherwise the document is emptied (not modified, no undo history) and
    // filled; false when the file breaks off part-way, with what was read before kept. Does not lay
    // out.
    bool LoadDocumentFile(const QString& path);
    // Drops the selection and all items; not modified, no undo history. Does not lay out.
    void ClearDocument();
    // Lays out the document for the pane's width and repaints: the part in view at once, the
    // rest in the background with layoutProgress() meanwhile.
    void FormatDocument();
    // Lays out whatever still waits for the background, now.
    void finishLayout();
    bool isLaidOut() const;
    // Writes the whole document to path atomically; false on any failure, the previous file
    // untouched. Does not change the modified flag.
    bool SaveDocumentFile(const QString& path);
    // Why the last load or save failed.
    QString lastError() const { return m_lastError; }

    bool Modified() const;
    void setModified(bool modified);

    // The selection's start and end (start before end); both the caret without a selection.
    RVSelectionBounds SelectionBounds() const;
    int OffsetBeforeItem(qsizetype index) const;
    int OffsetAfterItem(qsizetype index) const;
    // Gives the selected characters text style styleNo: items are split at the selection's
    // edges, an item already in the style keeps its tag and is not split, an item whose style
    // changes loses its tag, equal neighbours are joined; one undo step. Without a selection
    // the style becomes that of text typed next (an empty paragraph takes it at once).
    // Nothing when the editor is read-only.
    void ApplyStyleToSelection(int styleNo);
    // The tag of the item holding the caret; empty when it has none.
    QString CurrentItemTag() const;
    // Sets item index's tag (nothing when it already holds it); joins the open undo group.
    void SetItemTagUndoable(qsizetype index, const QString& tag);

    enum UndoKind { rvutTag };
    // Closes the open undo group, if any, so the next grouped edits start a new step.
    void StartUndoGroup(UndoKind kind);
    // Nesting count: while above zero, edits join one undo group.
    void SetUndoGrouping(bool on);
    // The editor that takes the edits: table cells are not edited apart, so this editor.
    TRichTextEdit* InnermostEditor() { return this; }

Q_SIGNALS:
    // While a large document is laid out in the background: the share done, 0 to 99; 100 when
    // done.
    void layoutProgress(int percent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Runs an edit (a base event handler) in one undo step and renews ids repeated by it.
    template <class Edit> void editKeepingIds(Edit&& edit);
    bool typingNeedsCare() const;
    // The range [from, to) an edit removes; from is -1 when there is none.
    struct Seam {
        int from = -1;
        int to = -1;
    };
    Seam joinedByKey(const QKeyEvent* event) const;
    bool selectionJoinsParagraphs() const;
    // Inside an edit's undo step, before its selection across paragraphs is replaced.
    void keepSelectionApart();
    bool overJumpText(const QPoint& viewportPos) const;
    void applyPaneColor();

    RVTextDocument m_doc;
    std::shared_ptr<const RVDocumentFormat> m_format;
    QString m_lastError;
    int m_grouping = 0;
    QTextCursor m_groupCursor;
};

} // namespace ecolvar
