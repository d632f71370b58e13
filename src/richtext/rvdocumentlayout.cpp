#include "richtext/rvdocumentlayout.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextObjectInterface>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace ecolvar {

namespace {

// Changes of at most this many blocks are laid out at once; larger ones when first needed.
constexpr int kEagerBlocks = 64;
// The width lines get when the document has none.
constexpr qreal kUnboundedWidth = 1e6;

// Draws the pictures the document holds as image resources.
class ImageHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) override
    {
        const QTextImageFormat f = format.toImageFormat();
        const QImage img = image(doc, f);
        const qreal w = f.hasProperty(QTextFormat::ImageWidth) ? f.width() : img.width();
        const qreal h = f.hasProperty(QTextFormat::ImageHeight) ? f.height() : img.height();
        return { qMax<qreal>(w, 1), qMax<qreal>(h, 1) };
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
        const QTextFormat& format) override
    {
        const QImage img = image(doc, format.toImageFormat());
        if (!img.isNull())
            painter->drawImage(rect, img);
    }

private:
    static QImage image(QTextDocument* doc, const QTextImageFormat& format)
    {
        const QVariant v = doc->resource(QTextDocument::ImageResource, QUrl(format.name()));
        if (v.typeId() == QMetaType::QImage)
            return v.value<QImage>();
        if (v.typeId() == QMetaType::QPixmap)
            return v.value<QPixmap>().toImage();
        if (v.typeId() == QMetaType::QByteArray)
            return QImage::fromData(v.toByteArray());
        return {};
    }
};

qreal lineAdvance(const QTextLine& line, const QTextBlockFormat& format)
{
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        return line.height() * format.lineHeight() / 100;
    case QTextBlockFormat::FixedHeight:
        return format.lineHeight();
    case QTextBlockFormat::MinimumHeight:
        return qMax(line.height(), format.lineHeight());
    case QTextBlockFormat::LineDistanceHeight:
        return line.height() + format.lineHeight();
    default:
        return line.height();
    }
}

} // namespace

RVDocumentLayout::RVDocumentLayout(QTextDocument* document)
    : QAbstractTextDocumentLayout(document)
{
    registerHandler(QTextFormat::ImageObject, new ImageHandler(this));
    m_heights.assign(size_t(document->blockCount()), -1);
    m_dirtyFrom = 0;
    m_dirtyTo = document->blockCount() - 1;
    rebuildTree();
}

qreal RVDocumentLayout::width() const
{
    const qreal w = document()->pageSize().width();
    return w > 0 ? w : kUnboundedWidth;
}

void RVDocumentLayout::rebuildTree() const
{
    const size_t n = m_heights.size();
    m_tree.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        m_tree[i] += qMax<qreal>(m_heights[i - 1], 0);
        const size_t j = i + (i & (~i + 1));
        if (j <= n)
            m_tree[j] += m_tree[i];
    }
}

void RVDocumentLayout::addToTree(int index, qreal delta) const
{
    for (size_t i = size_t(index) + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += delta;
}

qreal RVDocumentLayout::top(int blockNumber) const
{
    qreal sum = 0;
    for (size_t i = size_t(blockNumber); i > 0; i -= i & (~i + 1))
        sum += m_tree[i];
    return document()->documentMargin() + sum;
}

int RVDocumentLayout::blockAt(qreal y) const
{
    const size_t n = m_heights.size();
    if (n == 0)
        return 0;
    size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    size_t pos = 0;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && m_tree[pos + step] <= y) {
            pos += step;
            y -= m_tree[pos];
        }
    }
    return int(qMin(pos, n - 1));
}

void RVDocumentLayout::documentChanged(int from, int, int charsAdded)
{
    QTextDocument* doc = document();
    const int count = doc->blockCount();
    QTextBlock first = doc->findBlock(qMax(0, from));
    if (!first.isValid())
        first = doc->lastBlock();
    QTextBlock last = doc->findBlock(qMax(0, from) + charsAdded);
    if (!last.isValid())
        last = doc->lastBlock();
    const int b0 = first.blockNumber();
    const int b1 = qMax(b0, last.blockNumber());
    const int delta = count - int(m_heights.size());
    const int oldEnd = b1 - delta; // the last block replaced, numbered as before the change
    if (oldEnd < b0 - 1 || oldEnd >= int(m_heights.size())) {
        m_heights.assign(size_t(count), -1);
        m_dirtyFrom = 0;
        m_dirtyTo = count - 1;
        rebuildTree();
    } else {
        if (delta == 0) {
            for (int i = b0; i <= b1; ++i) {
                if (m_heights[size_t(i)] > 0)
                    addToTree(i, -m_heights[size_t(i)]);
                m_heights[size_t(i)] = -1;
            }
        } else {
            m_heights.erase(m_heights.begin() + b0, m_heights.begin() + oldEnd + 1);
            m_heights.insert(m_heights.begin() + b0, size_t(b1 - b0 + 1), -1);
            rebuildTree();
        }
        if (m_dirtyFrom <= m_dirtyTo) {
            if (m_dirtyFrom > oldEnd)
                m_dirtyFrom += delta;
            if (m_dirtyTo > oldEnd)
                m_dirtyTo += delta;
            m_dirtyFrom = qBound(0, qMin(m_dirtyFrom, b0), count - 1);
            m_dirtyTo = qBound(0, qMax(m_dirtyTo, b1), count - 1);
        } else {
            m_dirtyFrom = b0;
            m_dirtyTo = b1;
        }
    }
    if (m_dirtyTo - m_dirtyFrom < kEagerBlocks) {
        ensureLaidOut();
        Q_EMIT update(QRectF(0, top(b0), kUnboundedWidth, kUnboundedWidth * 1e3));
    } else {
        Q_EMIT update();
    }
}

qreal RVDocumentLayout::layOutBlock(const QTextBlock& block) const
{
    QTextLayout* layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(block.textDirection());
    option.setAlignment(format.alignment());
    if (format.nonBreakableLines())
        option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    const qreal available = width() - 2 * document()->documentMargin() - format.leftMargin()
        - format.rightMargin();
    qreal y = format.topMargin();
    layout->beginLayout();
    for (bool firstLine = true;; firstLine = false) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        const qreal indent = firstLine ? format.textIndent() : 0;
        line.setLineWidth(qMax<qreal>(available - indent, 1));
        line.setPosition(QPointF(format.leftMargin() + indent, y));
        y += lineAdvance(line, format);
    }
    layout->endLayout();
    y += format.bottomMargin();
    ++m_laidOut;
    // Multiples of 1/64 add up exactly, so heights can be taken out of the tree again.
    return std::ceil(y * 64) / 64;
}

void RVDocumentLayout::ensureLaidOut() const
{
    if (m_dirtyFrom > m_dirtyTo)
        return;
    const int from = m_dirtyFrom;
    const int to = qMin(m_dirtyTo, int(m_heights.size()) - 1);
    m_dirtyFrom = 0;
    m_dirtyTo = -1;
    const bool many = to - from >= kEagerBlocks;
    QTextBlock block = document()->findBlockByNumber(from);
    for (int i = from; i <= to && block.isValid(); ++i, block = block.next()) {
        if (m_heights[size_t(i)] >= 0)
            continue;
        const qreal height = layOutBlock(block);
        m_heights[size_t(i)] = height;
        if (!many)
            addToTree(i, height);
    }
    if (many)
        rebuildTree();
    const qreal height = top(int(m_heights.size())) + document()->documentMargin();
    if (height != m_reportedHeight) {
        m_reportedHeight = height;
        auto* self = const_cast<RVDocumentLayout*>(this);
        Q_EMIT self->documentSizeChanged(QSizeF(width(), height));
    }
}

QSizeF RVDocumentLayout::documentSize() const
{
    ensureLaidOut();
    return { width(), top(int(m_heights.size())) + document()->documentMargin() };
}

QRectF RVDocumentLayout::blockBoundingRect(const QTextBlock& block) const
{
    ensureLaidOut();
    const int n = block.blockNumber();
    if (!block.isValid() || n < 0 || n >= int(m_heights.size()))
        return {};
    const qreal margin = document()->documentMargin();
    const qreal y = top(n);
    block.layout()->setPosition(QPointF(margin, y));
    return { margin, y, qMax<qreal>(width() - 2 * margin, 0), m_heights[size_t(n)] };
}

QRectF RVDocumentLayout::frameBoundingRect(QTextFrame* frame) const
{
    if (!frame || frame == document()->rootFrame())
        return { QPointF(0, 0), documentSize() };
    const QRectF a = blockBoundingRect(document()->findBlock(frame->firstPosition()));
    const QRectF b = blockBoundingRect(document()->findBlock(frame->lastPosition()));
    return a.united(b);
}

int RVDocumentLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    ensureLaidOut();
    if (m_heights.empty())
        return -1;
    const qreal margin = document()->documentMargin();
    const int n = blockAt(point.y() - margin);
    const QTextBlock block = document()->findBlockByNumber(n);
    const QTextLayout* layout = block.layout();
    if (!block.isValid() || layout->lineCount() == 0)
        return accuracy == Qt::ExactHit ? -1 : qMax(0, block.position());
    const QPointF local = point - QPointF(margin, top(n));
    QTextLine line = layout->lineAt(0);
    for (int i = 1; i < layout->lineCount() && layout->lineAt(i).y() <= local.y(); ++i)
        line = layout->lineAt(i);
    if (accuracy == Qt::ExactHit) {
        if (local.y() < line.y() || local.y() > line.y() + line.height() || local.x() < line.x()
            || local.x() > line.x() + line.naturalTextWidth())
            return -1;
        return block.position() + line.xToCursor(local.x(), QTextLine::CursorOnCharacter);
    }
    return block.position() + line.xToCursor(local.x());
}

void RVDocumentLayout::draw(QPainter* painter, const PaintContext& context)
{
    ensureLaidOut();
    if (m_heights.empty())
        return;
    QTextDocument* doc = document();
    const qreal margin = doc->documentMargin();
    const QRectF clip = context.clip.isValid()
        ? context.clip
        : QRectF(0, 0, kUnboundedWidth, top(int(m_heights.size())) + margin);
    const int cursorWidth = property("cursorWidth").isValid() ? property("cursorWidth").toInt() : 1;
    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    int n = blockAt(clip.top() - margin);
    for (QTextBlock block = doc->findBlockByNumber(n); block.isValid();
         block = block.next(), ++n) {
        const qreal y = top(n);
        if (y > clip.bottom())
            break;
        QTextLayout* layout = block.layout();
        layout->setPosition(QPointF(margin, y));
        const QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(QTextFormat::BackgroundBrush))
            painter->fillRect(QRectF(margin, y, width() - 2 * margin, m_heights[size_t(n)]),
                format.background());
        const int position = block.position();
        const int length = block.length();
        QList<QTextLayout::FormatRange> selections;
        for (const Selection& s : context.selections) {
            const int a = s.cursor.selectionStart() - position;
            const int b = s.cursor.selectionEnd() - position;
            if (a == b || b <= 0 || a >= length)
                continue;
            QTextLayout::FormatRange range;
            range.start = qMax(a, 0);
            range.length = qMin(b, length) - range.start;
            range.format = s.format;
            selections.append(range);
        }
        layout->draw(painter, QPointF(), selections, clip);
        const int cursor = context.cursorPosition;
        if ((cursor >= position && cursor < position + length)
            || (cursor < -1 && !layout->preeditAreaText().isEmpty())) {
            const int at = cursor < -1 ? layout->preeditAreaPosition() - (cursor + 2)
                                       : cursor - position;
            layout->drawCursor(painter, QPointF(), at, cursorWidth);
        }
    }
    painter->restore();
}

} // namespace ecolvar

#include "rvdocumentlayout.moc"
