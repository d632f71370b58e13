#pragma once

#include <QString>

#include <array>
#include <functional>

namespace ecolvar {

class Prompts;

// The largest transcript file a pane opens: a file of this size holding the most items the
// reader accepts still loads and lays out in a few seconds. A larger one is refused.
constexpr qint64 MaxPaneTranscriptBytes = 10'000'000;
// From this size on, a load shows "正在载入文稿 0%" on the status line before it starts; the
// editor's layout goes on with the percentage.
constexpr qint64 ProgressTranscriptBytes = 1'000'000;

class TranscriptEditor;

// The two transcript panes of the main window, without widgets: which files they show, the
// save command and the questions about unsaved edits. A document named N has the English
// transcript txt/N.eng and the Chinese one txt/N.chn. The window owns the editors and this
// object, and calls it when a document is opened, on 保存(&S) and before the program ends.
//
// A file larger than MaxPaneTranscriptBytes is not read: its pane stays empty and read-only, the
// pane and the status line say why, and nothing is ever saved over that file from the pane.
//
// A pane whose file was not read whole (it broke off part-way, or exists but could not be
// opened) is told to the learner once at load; the first save over that file first keeps the
// original beside it as <file>.bak, and when that copy cannot be made nothing is written.
class TranscriptPanes {
public:
    // The tab index of each pane in PageControl1.
    enum Pane { English = 0, Chinese = 1 };

    // transcriptDir holds the transcript files; with or without a trailing separator.
    TranscriptPanes(TranscriptEditor& english, TranscriptEditor& chinese,
        const QString& transcriptDir, Prompts& prompts);

    // Where the panes' notices go (the window's status line): a file refused for its size, the
    // start of a long load.
    void setStatusLine(std::function<void(const QString&)> show) { m_status = std::move(show); }

    // The file a pane's document belongs to; empty while no document is open, and for a
    // document name holding a path separator (its files would lie outside the directory).
    QString path(Pane pane) const { return m_panes[pane].path; }

    // Shows the transcripts of docName: each pane is loaded from its file, or emptied when the
    // file is missing, then laid out. A pane with unsaved edits of the previous document is
    // first offered for saving (English first); when the learner wants it saved and the save
    // fails, that pane keeps its edits and its previous file.
    void LoadTranscripts(const QString& docName);

    // 保存(&S): saves the pane of the visible tab, modified or not. With no document open the
    // learner is told that nothing can be saved. A failed save is reported with the path and
    // the reason and leaves the modified flag set.
    void Save(int visibleTab);

    // Before the program ends: each pane with unsaved edits of an open document is offered
    // for saving, English first, with Yes, No and Cancel. False when the learner cancelled (no
    // further pane is asked about, nothing more is saved) or a save they asked for failed, so
    // the window can stay open and nothing is lost.
    bool queryClose();

private:
    struct PaneState {
        TranscriptEditor* editor;
        QString extension;
        QString question;
        QString path;
        // False when the file at path was not read whole: its first save keeps a backup.
        bool whole = true;
        // The file at path was too large to be read: the pane never saves over it.
        bool refused = false;
    };

    static bool holdsUnsavedEdits(const PaneState& pane);
    // Offers an edited pane for saving; false when the learner said Yes and the save failed.
    bool offerToSave(PaneState& pane);
    void load(PaneState& pane, const QString& path);
    bool SaveTranscriptPane(PaneState& pane);
    bool keepBackup(const PaneState& pane);

    std::array<PaneState, 2> m_panes;
    QString m_dir;
    QString m_docName;
    Prompts& m_prompts;
    std::function<void(const QString&)> m_status;
};

} // namespace ecolvar
