#include "annotations.h"

#include "core/commonprocs.h"
#include "richtext/trichtextedit.h"

using namespace Qt::StringLiterals;

namespace ecolvar::annotations {

namespace {
const QString kelmor = u"<kelmor>"_s;
const QString crlf = u"\r\n"_s;
} // namespace

QString noteFromTag(QString tag)
{
    while (tag.contains(kelmor))
        ReplaceFirst(tag, kelmor, crlf);
    return tag;
}

QString tagFromNote(QString note)
{
    while (note.contains(crlf))
        ReplaceFirst(note, crlf, kelmor);
    return note;
}

void SetAnnotation(TRichTextEdit& pane, const NoteAsker& ask)
{
    const std::optional<QString> note = ask(noteFromTag(pane.CurrentItemTag()));
    if (!note)
        return;
    pane.ApplyStyleToSelection(annotatedStyle);
    SetAnnotationTag(pane, tagFromNote(*note));
}

void SetAnnotationTag(TRichTextEdit& pane, const QString& tag)
{
    TRichTextEdit& editor = *pane.InnermostEditor();
    RVSelectionBounds bounds = editor.SelectionBounds();
    // A selection that starts at the very end of an item or ends at the very start of one holds
    // none of that item.
    if (bounds.Start.Offset >= editor.OffsetAfterItem(bounds.Start.Item))
        ++bounds.Start.Item;
    if (editor.OffsetBeforeItem(bounds.End.Item) >= bounds.End.Offset)
        --bounds.End.Item;
    editor.StartUndoGroup(TRichTextEdit::rvutTag);
    editor.SetUndoGrouping(true);
    for (qsizetype item = bounds.Start.Item; item <= bounds.End.Item; ++item)
        editor.SetItemTagUndoable(item, tag);
    editor.SetUndoGrouping(false);
}

void RemoveAnnotation(TRichTextEdit& pane)
{
    pane.ApplyStyleToSelection(plainStyle);
}

} // namespace ecolvar::annotations
