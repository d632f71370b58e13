#pragma once

#include <QString>

namespace ecolvar {

// What the transcript panes need of a rich-text editor: load, clear, lay out and save its
// document, and its modified flag. The window's editors implement it; tests use fakes.
class TranscriptEditor {
public:
    virtual ~TranscriptEditor() = default;

    // Reads the transcript file at path. When the file cannot be opened: false, and the
    // document is left as it was. Otherwise the document is emptied (modified flag false, no
    // undo history) and filled; false when the file breaks off part-way, with what was read
    // before the fault kept. Never throws; does not lay out.
    virtual bool LoadDocumentFile(const QString& path) = 0;
    // Drops all items and the selection; modified flag false, no undo history.
    virtual void ClearDocument() = 0;
    // Lays out the whole document and repaints. Needed after every load or clear.
    virtual void FormatDocument() = 0;
    // Writes the whole document to path, replacing the file atomically: on failure the
    // previous file is untouched. Does not change the modified flag.
    virtual bool SaveDocumentFile(const QString& path) = 0;
    // Why the last load or save failed, for the learner.
    virtual QString lastError() const = 0;

    virtual bool Modified() const = 0;
    virtual void setModified(bool modified) = 0;
};

} // namespace ecolvar
