#pragma once

#include <QString>

namespace ecolvar {

// What the transcript panes need of a rich-text editor: load, clear, lay out and save its
// document, its modified flag and whether it takes edits. The window's editors implement it; tests
// use fakes.
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
    // Lays out the document and repaints (a large one may go on in the background). Needed
    // after every load or clear.
    virtual void FormatDocument() = 0;
    // Writes the whole document to path, replacing the file atomically: on failure the
    // previous file is untouched. Does not change the modified flag.
    virtual bool SaveDocumentFile(const QString& path) = 0;
    // Why the last load or save failed, for the learner.
    virtual QString lastError() const = 0;

    virtual bool Modified() const = 0;
    virtual void setModified(bool modified) = 0;
    // A read-only editor takes no edits from the learner.
    virtual void setReadOnly(bool readOnly) = 0;
    // Text shown in the editor while its document is empty (none when empty).
    virtual void setPlaceholderText(const QString& text) = 0;
};

// A TranscriptEditor over an editor class that has these operations under the same names
// (the panes' rich-text editor), without that class knowing of this interface.
template <class Editor> class TranscriptEditorOver : public TranscriptEditor {
public:
    explicit TranscriptEditorOver(Editor& editor) : m_editor(editor) { }

    bool LoadDocumentFile(const QString& path) override { return m_editor.LoadDocumentFile(path); }
    void ClearDocument() override { m_editor.ClearDocument(); }
    void FormatDocument() override { m_editor.FormatDocument(); }
    bool SaveDocumentFile(const QString& path) override { return m_editor.SaveDocumentFile(path); }
    QString lastError() const override { return m_editor.lastError(); }
    bool Modified() const override { return m_editor.Modified(); }
    void setModified(bool modified) override { m_editor.setModified(modified); }
    void setReadOnly(bool readOnly) override { m_editor.setReadOnly(readOnly); }
    void setPlaceholderText(const QString& text) override { m_editor.setPlaceholderText(text); }

private:
    Editor& m_editor;
};

} // namespace ecolvar
