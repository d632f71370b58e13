#include "transcriptpanes.h"

#include "core/prompts.h"
#include "transcripteditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString backupPath(const QString& path)
{
    return path + u".bak"_s;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1e6, 'f', 1) + u" MB"_s;
}

} // namespace

TranscriptPanes::TranscriptPanes(TranscriptEditor& english, TranscriptEditor& chinese,
    const QString& transcriptDir, Prompts& prompts)
    : m_panes { PaneState { &english, u".eng"_s, u"英文文件尚未保存，是否保存？"_s, {} },
          PaneState { &chinese, u".chn"_s, u"中文文件尚未保存，是否保存？"_s, {} } },
      m_dir(QDir::fromNativeSeparators(transcriptDir)), m_prompts(prompts)
{
    if (!m_dir.endsWith(u'/'))
        m_dir += u'/';
}

void TranscriptPanes::LoadTranscripts(const QString& docName)
{
    // The questions about the previous document come before anything is replaced.
    std::array<bool, 2> replace {};
    for (size_t i = 0; i < m_panes.size(); ++i)
        replace[i] = offerToSave(m_panes[i]);

    m_docName = docName;
    const bool storable = !docName.contains(u'/') && !docName.contains(u'\\');
    if (!storable) {
        m_prompts.information(
            u"“%1”含有路径分隔符，不能用作文稿的文件名；文稿不会保存。"_s.arg(docName));
    }
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (replace[i])
            load(m_panes[i],
                storable && !docName.isEmpty() ? m_dir + docName + m_panes[i].extension
                                               : QString());
    }
}

void TranscriptPanes::load(PaneState& pane, const QString& path)
{
    TranscriptEditor& editor = *pane.editor;
    pane.path = path;
    pane.whole = true;
    pane.refused = false;
    // Emptied first: whatever happens below, nothing of the previous document stays to be
    // saved under this document's name.
    editor.ClearDocument();
    editor.setReadOnly(false);
    editor.setPlaceholderText(QString());
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        const qint64 size = QFileInfo(path).size();
        QFile probe(path);
        if (size > MaxPaneTranscriptBytes) {
            pane.refused = true;
            editor.setReadOnly(true);
            // In the empty pane itself, and on the status line for the moment.
            const QString refusal
                = u"文稿 %1 有 %2，超过窗格能打开的 %3，没有载入；窗格保持空白，不会写入这个文件。"_s
                      .arg(shown(path), megabytes(size), megabytes(MaxPaneTranscriptBytes));
            editor.setPlaceholderText(refusal);
            if (m_status)
                m_status(refusal);
        } else if (!probe.open(QIODevice::ReadOnly)) {
            pane.whole = false;
            m_prompts.information(
                u"无法打开 %1：%2\n窗格保持空白；保存时原文件会先保留为 %3。"_s.arg(
                    shown(path), probe.errorString(), shown(backupPath(path))));
        } else {
            if (size >= ProgressTranscriptBytes && m_status)
                m_status(u"正在载入文稿 0%"_s);
            if (!editor.LoadDocumentFile(path)) {
                pane.whole = false;
                m_prompts.information(
                    u"%1 只读出了一部分：%2\n窗格显示读出的部分；第一次保存时原文件会保留为 %3。"_s
                        .arg(shown(path), editor.lastError(), shown(backupPath(path))));
            }
        }
    }
    editor.FormatDocument();
}

void TranscriptPanes::Save(int visibleTab)
{
    if (m_docName.isEmpty()) {
        m_prompts.information(u"没有打开任何文件，无法保存"_s);
        return;
    }
    if (visibleTab != English && visibleTab != Chinese)
        return;
    PaneState& pane = m_panes[visibleTab];
    if (pane.path.isEmpty()) {
        m_prompts.information(u"“%1”不能用作文稿的文件名，无法保存"_s.arg(m_docName));
        return;
    }
    if (pane.refused) {
        m_prompts.information(u"文稿 %1 超过窗格能打开的 %2，没有载入，不能保存"_s.arg(
            shown(pane.path), megabytes(MaxPaneTranscriptBytes)));
        return;
    }
    SaveTranscriptPane(pane);
}

bool TranscriptPanes::queryClose()
{
    bool saved = true;
    for (PaneState& pane : m_panes) {
        if (!holdsUnsavedEdits(pane))
            continue;
        switch (m_prompts.askWithCancel(pane.question, u"Confirm"_s)) {
        case Prompts::Answer::Closed:
            return false;
        case Prompts::Answer::No:
            break;
        case Prompts::Answer::Yes:
            saved = SaveTranscriptPane(pane) && saved;
            break;
        }
    }
    return saved;
}

// A refused pane never asks: whatever reached it must not replace the file it did not load.
bool TranscriptPanes::holdsUnsavedEdits(const PaneState& pane)
{
    return !pane.path.isEmpty() && !pane.refused && pane.editor->Modified();
}

bool TranscriptPanes::offerToSave(PaneState& pane)
{
    if (!holdsUnsavedEdits(pane))
        return true;
    if (!m_prompts.confirm(pane.question, u"Confirm"_s))
        return true;
    return SaveTranscriptPane(pane);
}

bool TranscriptPanes::SaveTranscriptPane(PaneState& pane)
{
    if (pane.refused)
        return false;
    if (!keepBackup(pane))
        return false;
    if (!pane.editor->SaveDocumentFile(pane.path)) {
        m_prompts.error(u"保存失败：%1\n%2\n修改仍保留在窗格中。"_s.arg(
            shown(pane.path), pane.editor->lastError()));
        return false;
    }
    pane.editor->setModified(false);
    pane.whole = true;
    return true;
}

bool TranscriptPanes::keepBackup(const PaneState& pane)
{
    if (pane.whole || !QFileInfo::exists(pane.path))
        return true;
    // Copied under a fresh name first, so that an earlier backup is replaced only by a
    // complete one.
    const QString backup = backupPath(pane.path);
    const QString fresh = backup + u".new"_s;
    QFile::remove(fresh);
    QFile original(pane.path);
    QString reason;
    if (!original.copy(fresh)) {
        reason = original.errorString();
    } else {
        QFile::remove(backup);
        QFile copy(fresh);
        if (!copy.rename(backup))
            reason = copy.errorString();
    }
    if (reason.isEmpty())
        return true;
    m_prompts.error(u"无法把 %1 保留为 %2：%3\n文稿没有保存，修改仍保留在窗格中。"_s.arg(
        shown(pane.path), shown(backup), reason));
    return false;
}

} // namespace ecolvar
