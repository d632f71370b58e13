#include "richtext/trichtextedit.h"

#include "core/commonprocs.h"
#include "richtext/rvdocumentlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextDocumentFragment>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

constexpr QChar kLineSeparator(0x2028);

bool isEnter(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && !(event->modifiers() & Qt::ShiftModifier);
}

} // namespace

TRichTextEdit::TRichTextEdit(TRVStyle style, QWidget* parent)
    : QTextEdit(parent), m_doc(document(), std::move(style))
{
    setAcceptRichText(true);
    connect(
        m_doc.layout(), &RVDocumentLayout::layoutProgress, this, &TRichTextEdit::layoutProgress);
    setTabChangesFocus(false);
    viewport()->setMouseTracking(true);
    m_doc.clear();
    applyPaneColor();
}

TRichTextEdit::~TRichTextEdit()
{
    if (m_grouping > 0)
        m_groupCursor.endEditBlock();
}

void TRichTextEdit::setStyle(TRVStyle style)
{
    m_doc.setStyle(std::move(style));
    applyPaneColor();
}

void TRichTextEdit::applyPaneColor()
{
    QPalette p = palette();
    if (const QColor color = qColor(m_doc.style().Color); color.isValid()) {
        p.setColor(QPalette::Base, color);
        p.setColor(QPalette::Text, Qt::black);
    }
    setPalette(p);
}

void TRichTextEdit::setDocumentFormat(std::shared_ptr<const RVDocumentFormat> format)
{
    m_format = std::move(format);
}

bool TRichTextEdit::LoadDocumentFile(const QString& path)
{
    if (!m_format) {
        m_lastError = u"\"%1\": no document format to read it in"_s.arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = u"cannot open \"%1\": %2"_s.arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    const bool read = file.error() == QFileDevice::NoError;
    RVDocument doc;
    TRVStyle style = m_doc.style();
    QString error;
    const bool ok = read && m_format->read(bytes, doc, style, &error);
    if (!read)
        error = u"cannot read \"%1\": %2"_s.arg(path, file.errorString());
    else if (!ok)
        error = u"\"%1\": %2"_s.arg(path, error);
    m_doc.clear();
    setStyle(std::move(style));
    m_doc.setContents(doc);
    m_lastError = ok ? QString() : error;
    return ok;
}

void TRichTextEdit::ClearDocument()
{
    m_doc.clear();
    m_lastError.clear();
}

void TRichTextEdit::FormatDocument()
{
    document()->setTextWidth(viewport()->width());
    const int top = verticalScrollBar()->value();
    m_doc.layout()->layOutView(top, top + viewport()->height());
    viewport()->update();
}

void TRichTextEdit::finishLayout()
{
    m_doc.layout()->finishLayout();
}

bool TRichTextEdit::isLaidOut() const
{
    return m_doc.layout()->isLaidOut();
}

bool TRichTextEdit::SaveDocumentFile(const QString& path)
{
    if (!m_format) {
        m_lastError = u"\"%1\": no document format to write it in"_s.arg(path);
        return false;
    }
    QString error;
    const std::optional<QByteArray> bytes
        = m_format->write(RVTextDocument::Items(m_doc), m_doc.style(), &error);
    if (!bytes) {
        m_lastError = error;
        return false;
    }
    if (const std::optional<QString> failure = SaveFileAtomically(path, *bytes)) {
        m_lastError = u"cannot write \"%1\": %2"_s.arg(path, *failure);
        return false;
    }
    m_lastError.clear();
    return true;
}

bool TRichTextEdit::Modified() const
{
    return document()->isModified();
}

void TRichTextEdit::setModified(bool modified)
{
    document()->setModified(modified);
}

RVSelectionBounds TRichTextEdit::SelectionBounds() const
{
    return m_doc.selectionBounds(textCursor());
}

int TRichTextEdit::OffsetBeforeItem(qsizetype index) const
{
    return m_doc.offsetBeforeItem(index);
}

int TRichTextEdit::OffsetAfterItem(qsizetype index) const
{
    return m_doc.offsetAfterItem(index);
}

void TRichTextEdit::ApplyStyleToSelection(int styleNo)
{
    if (isReadOnly())
        return;
    QTextCursor cursor = textCursor();
    m_doc.applyStyle(cursor, styleNo);
    setTextCursor(cursor);
}

QString TRichTextEdit::CurrentItemTag() const
{
    return m_doc.currentItemTag(textCursor());
}

void TRichTextEdit::SetItemTagUndoable(qsizetype index, const QString& tag)
{
    if (isReadOnly())
        return;
    QTextCursor cursor = textCursor();
    m_doc.setItemTag(cursor, index, tag);
}

void TRichTextEdit::StartUndoGroup(UndoKind)
{
    if (m_grouping == 0)
        return;
    m_groupCursor.endEditBlock();
    m_groupCursor = textCursor();
    m_groupCursor.beginEditBlock();
}

void TRichTextEdit::SetUndoGrouping(bool on)
{
    if (on) {
        if (m_grouping++ == 0) {
            m_groupCursor = textCursor();
            m_groupCursor.beginEditBlock();
        }
    } else if (m_grouping > 0 && --m_grouping == 0) {
        m_groupCursor.endEditBlock();
    }
}

template <class Edit> void TRichTextEdit::editKeepingIds(Edit&& edit)
{
    // The document holds its change signals back inside an edit block, so the inserted range
    // is read off the caret: text goes in at the selection's start and the caret ends after it.
    QTextCursor block = textCursor();
    const int from = block.selectionStart();
    block.beginEditBlock();
    edit();
    QTextCursor cursor = textCursor();
    const int to = qMax(from, cursor.position());
    m_doc.fixInserted(cursor, qMin(from, cursor.position()), to);
    setTextCursor(cursor);
    block.endEditBlock();
}

// Whether text typed now could split an item or would not take a text item's format: typing
// with a pending style inside an item, or after a picture. Plain typing extends the item
// before the caret and needs no care (and merges into the previous undo step as usual).
bool TRichTextEdit::typingNeedsCare() const
{
    const QTextCursor cursor = textCursor();
    const QTextCharFormat typing = cursor.charFormat();
    if (!typing.hasProperty(rvfpStyleNo) || typing.objectType() != QTextFormat::NoObject
        || typing.hasProperty(rvfpKind))
        return true;
    if (cursor.hasSelection() || cursor.atBlockStart() || cursor.atBlockEnd())
        return false;
    QTextCursor before(document());
    before.setPosition(cursor.position());
    QTextCursor after(before);
    after.movePosition(QTextCursor::NextCharacter);
    const int inside = formatItemId(after.charFormat());
    return formatItemId(before.charFormat()) == inside && formatItemId(typing) != inside;
}

// The range that the key removes when it joins paragraphs: Backspace at a paragraph's start,
// Delete at its end, or a key that replaces a selection across paragraphs.
TRichTextEdit::Seam TRichTextEdit::joinedByKey(const QKeyEvent* event) const
{
    const QTextCursor cursor = textCursor();
    const bool back = event->key() == Qt::Key_Backspace;
    const bool forward = event->key() == Qt::Key_Delete;
    if (cursor.hasSelection()) {
        const bool removes = back || forward || isEnter(event) || event->matches(QKeySequence::Cut)
            || (!event->text().isEmpty() && event->text().front().isPrint()
                && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
        if (!removes || !selectionJoinsParagraphs())
            return {};
        return { cursor.selectionStart(), cursor.selectionEnd() };
    }
    if (back && cursor.atBlockStart() && !cursor.atStart())
        return { cursor.position() - 1, cursor.position() };
    if (forward && cursor.atBlockEnd() && !cursor.atEnd())
        return { cursor.position(), cursor.position() + 1 };
    return {};
}

void TRichTextEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Control)
        viewport()->setCursor(overJumpText(viewport()->mapFromGlobal(QCursor::pos()))
                ? Qt::PointingHandCursor
                : Qt::IBeamCursor);
    const bool typesText = !event->text().isEmpty() && event->text().front().isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const Seam seam = isReadOnly() ? Seam {} : joinedByKey(event);
    if (!isReadOnly() && (isEnter(event) || (typesText && typingNeedsCare()))) {
        editKeepingIds([&] {
            if (seam.from >= 0)
                m_doc.keepApart(seam.from, seam.to);
            if (typesText) {
                QTextCursor cursor = textCursor();
                cursor.setCharFormat(m_doc.typingFormat(cursor));
                setTextCursor(cursor);
            }
            QTextEdit::keyPressEvent(event);
        });
        return;
    }
    if (seam.from >= 0) {
        QTextCursor block = textCursor();
        block.beginEditBlock();
        m_doc.keepApart(seam.from, seam.to);
        QTextEdit::keyPressEvent(event);
        block.endEditBlock();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TRichTextEdit::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Control)
        viewport()->setCursor(Qt::IBeamCursor);
    QTextEdit::keyReleaseEvent(event);
}

bool TRichTextEdit::selectionJoinsParagraphs() const
{
    const QTextCursor cursor = textCursor();
    return cursor.hasSelection()
        && document()->findBlock(cursor.selectionStart())
        != document()->findBlock(cursor.selectionEnd());
}

void TRichTextEdit::keepSelectionApart()
{
    const QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        m_doc.keepApart(cursor.selectionStart(), cursor.selectionEnd());
}

void TRichTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (isReadOnly() || event->commitString().isEmpty()
        || !(selectionJoinsParagraphs() || typingNeedsCare())) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    editKeepingIds([&] {
        keepSelectionApart();
        QTextCursor cursor = textCursor();
        cursor.setCharFormat(m_doc.typingFormat(cursor));
        setTextCursor(cursor);
        QTextEdit::inputMethodEvent(event);
    });
}

void TRichTextEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        // Outside the selection the caret moves to the press and the selection goes; inside,
        // the selection stays for the context menu.
        const int position = cursorForPosition(event->position().toPoint()).position();
        const QTextCursor cursor = textCursor();
        if (!cursor.hasSelection() || position < cursor.selectionStart()
            || position > cursor.selectionEnd()) {
            QTextCursor moved(document());
            moved.setPosition(position);
            setTextCursor(moved);
        }
        event->accept();
        return;
    }
    QTextEdit::mousePressEvent(event);
}

void TRichTextEdit::mouseMoveEvent(QMouseEvent* event)
{
    QTextEdit::mouseMoveEvent(event);
    const bool jump
        = (event->modifiers() & Qt::ControlModifier) && overJumpText(event->position().toPoint());
    viewport()->setCursor(jump ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

bool TRichTextEdit::overJumpText(const QPoint& viewportPos) const
{
    const int position = document()->documentLayout()->hitTest(
        viewportPos + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()),
        Qt::ExactHit);
    if (position < 0)
        return false;
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.movePosition(QTextCursor::NextCharacter);
    const QTextCharFormat format = cursor.charFormat();
    return format.hasProperty(rvfpStyleNo)
        && m_doc.style().TextStyles.value(formatStyleNo(format)).Jump;
}

bool TRichTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return (m_format && source->hasFormat(m_format->mimeType()))
        || QTextEdit::canInsertFromMimeData(source);
}

QMimeData* TRichTextEdit::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto mime = std::make_unique<QMimeData>();
    const QTextDocumentFragment fragment = cursor.selection();
    QString text = fragment.toPlainText();
    text.replace(kLineSeparator, u'\n');
    mime->setText(text);
    mime->setHtml(fragment.toHtml());
    if (m_format) {
        const RVDocument doc = m_doc.contents(cursor.selectionStart(), cursor.selectionEnd());
        if (std::optional<QByteArray> bytes
            = m_format->write(RVDocumentItems(doc), m_doc.style(), nullptr))
            mime->setData(m_format->mimeType(), *bytes);
    }
    return mime.release();
}

void TRichTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly())
        return;
    if (m_format && source->hasFormat(m_format->mimeType())) {
        RVDocument doc;
        TRVStyle pasted = m_doc.style();
        if (m_format->read(source->data(m_format->mimeType()), doc, pasted, nullptr)) {
            // Text styles travel by their look: the same number in the source's style sheet
            // may mean another style here.
            for (RVItem& item : doc.Items) {
                if (item.isText())
                    item.StyleNo = m_doc.addTextStyle(pasted.TextStyles.value(item.StyleNo));
                if (!item.continuesParagraph() && item.ParaNo >= Style().ParaStyles.size())
                    item.ParaNo = 0;
            }
            QTextCursor cursor = textCursor();
            m_doc.insertContents(cursor, doc);
            setTextCursor(cursor);
            ensureCursorVisible();
            return;
        }
    }
    editKeepingIds([&] {
        keepSelectionApart();
        if (source->hasHtml() && acceptRichText()) {
            // Rich text keeps its own look: nothing of the caret's item may stick to it.
            QTextCursor cursor = textCursor();
            cursor.setCharFormat(QTextCharFormat());
            setTextCursor(cursor);
        }
        QTextEdit::insertFromMimeData(source);
    });
}

} // namespace ecolvar
