#include "transcriptfollower.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>

namespace ecolvar {

TranscriptFollower::TranscriptFollower(QTextEdit& edit, QObject* parent)
    : QObject(parent), m_edit(edit), m_viewport(edit.viewport())
{
    connect(&m_edit, &QTextEdit::textChanged, this, [this] {
        // The paragraph numbers may have moved: the highlight is set again at the next follow.
        m_stale = true;
        m_highlighted = unknown;
    });
    m_viewport->installEventFilter(this);
}

void TranscriptFollower::readStamps()
{
    QList<std::optional<qint64>> stamps;
    const QTextDocument* document = m_edit.document();
    stamps.reserve(document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        // Only a paragraph that starts with a bracket is read whole.
        std::optional<ParagraphStamp> stamp;
        if (document->characterAt(block.position()) == u'[')
            stamp = paragraphStamp(block.text());
        stamps.append(stamp ? std::optional<qint64>(stamp->ms) : std::nullopt);
    }
    m_stamps.setStamps(stamps);
    m_stale = false;
}

void TranscriptFollower::follow(qint64 ms)
{
    if (m_stale)
        readStamps();
    highlight(m_stamps.paragraphAt(ms));
}

void TranscriptFollower::highlight(int paragraph)
{
    if (paragraph == m_highlighted)
        return;
    m_highlighted = paragraph;
    const QTextBlock block = m_edit.document()->findBlockByNumber(paragraph);
    if (paragraph < 0 || !block.isValid()) {
        m_highlighted = -1;
        m_edit.setExtraSelections({});
        return;
    }
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(block);
    selection.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    selection.format.setBackground(m_edit.palette().color(QPalette::Highlight).lighter(170));
    selection.format.setProperty(QTextFormat::FullWidthSelection, true);
    m_edit.setExtraSelections({ selection });

    // Out of sight, the paragraph comes to the upper third of the pane; the caret stays. A
    // learner typing in the pane keeps the view where it is.
    if (m_edit.hasFocus())
        return;
    const QRectF rect = m_edit.document()->documentLayout()->blockBoundingRect(block);
    QScrollBar* bar = m_edit.verticalScrollBar();
    const int top = bar->value();
    const int height = m_edit.viewport()->height();
    if (rect.top() < top || rect.bottom() > top + height)
        bar->setValue(int(rect.top()) - height / 3);
}

std::optional<qint64> TranscriptFollower::stampAtCaret() const
{
    const std::optional<ParagraphStamp> stamp = paragraphStamp(m_edit.textCursor().block().text());
    return stamp ? std::optional<qint64>(stamp->ms) : std::nullopt;
}

bool TranscriptFollower::eventFilter(QObject* watched, QEvent* event)
{
    // The pane is not asked for its viewport here: events come while it is being destroyed.
    if (watched != m_viewport || event->type() != QEvent::MouseButtonPress)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !(mouse->modifiers() & Qt::ControlModifier))
        return false;
    const QTextCursor cursor = m_edit.cursorForPosition(mouse->position().toPoint());
    const std::optional<ParagraphStamp> stamp = paragraphStamp(cursor.block().text());
    // Only a click on the stamp itself: Ctrl with a click elsewhere keeps its meaning.
    if (!stamp || cursor.positionInBlock() > stamp->length)
        return false;
    Q_EMIT playFromRequested(stamp->ms);
    return true;
}

} // namespace ecolvar
