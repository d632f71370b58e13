#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace ecolvar {

class TRichTextEdit;

// Notes on words and phrases of a transcript pane. A note lives in the tag of every item of the
// annotated run, which is in text style 4; its line breaks are stored as "<kelmor>".
namespace annotations {

// Text style of annotated text, and the plain style that removing a note applies.
inline constexpr int annotatedStyle = 4;
inline constexpr int plainStyle = 0;

// The note of a tag: each "<kelmor>" becomes CR LF.
QString noteFromTag(QString tag);
// The tag of a note: each CR LF becomes "<kelmor>".
QString tagFromNote(QString note);

// Asks the learner for a note, shown with the current one (lines separated by CR LF); the
// edited note, or nothing when the learner cancelled.
using NoteAsker = std::function<std::optional<QString>(const QString& note)>;

// "设置注释": shows the note of the item at the caret; on OK the selection takes style 4 (one
// undo step) and every item of it the note (a second). Cancel changes nothing.
void SetAnnotation(TRichTextEdit& pane, const NoteAsker& ask);
// Writes tag into every item from the first to the last that the selection holds characters of,
// whatever their kind, as one undo step.
void SetAnnotationTag(TRichTextEdit& pane, const QString& tag);
// "取消注释": the selection back to plain text; items whose style changes lose their notes.
void RemoveAnnotation(TRichTextEdit& pane);

} // namespace annotations
} // namespace ecolvar
