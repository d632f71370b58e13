#include "richtext/rvdocumentlayout.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
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

// Changes of at most this many blocks are laid out at once; larger ones in the background.
constexpr int kEagerBlocks = 64;
// A whole document of at most this many characters is laid out at once.
constexpr int kEagerCharacters = 20000;
// The longest the background lays out in one go, in milliseconds.
constexpr qint64 kSliceMs = 15;
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

// Heights are multiples of 1/64, which add up exactly, so they can be taken out of the tree
// again.
qreal rounded(qreal height)
{
    return std::ceil(height * 64) / 64;
}

} // namespace

RVDocumentLayout::RVDocumentLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document)
{
    registerHandler(QTextFormat::ImageObject, new ImageHandler(this));
    m_background.setInterval(0);
    connect(&m_background, &QTimer::timeout, this, &RVDocumentLayout::backgroundSlice);
    documentChanged(0, 0, document->characterCount());
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
        m_tree[i] += m_heights[i - 1];
        const size_t j = i + (i & (~i + 1));
        if (j <= n)
            m_tree[j] += m_tree[i];
    }
}

void RVDocumentLayout::setHeight(int index, qreal height) const
{
    const qreal delta = height - m_heights[size_t(index)];
    m_heights[size_t(index)] = height;
    if (delta == 0)
        return;
    for (size_t i = size_t(index) + 1; i < m_tree.size(); i += i & (~i + 1))
        m_tree[i] += delta;
}

qreal RVDocumentLayout::top(int blockNumber) const
{
    qreal sum = 0;
    for (size_t i = size_t(qMin<qsizetype>(blockNumber, qsizetype(m_heights.size()))); i > 0;
         i -= i & (~i + 1))
        sum += m_tree[i];
    return document()->documentMargin() + sum;
}

qreal RVDocumentLayout::total() const
{
    return top(int(m_heights.size())) + document()->documentMargin();
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

qreal RVDocumentLayout::estimate(const QTextBlock& block) const
{
    if (!m_metrics || m_metricsFont != document()->defaultFont()) {
        m_metricsFont = document()->defaultFont();
        const QFontMetricsF metrics(m_metricsFont);
        m_metrics = { metrics.averageCharWidth(), metrics.lineSpacing() };
    }
    const QTextBlockFormat format = block.blockFormat();
    const qreal available = qMax<qreal>(
        width() - 2 * document()->documentMargin() - format.leftMargin() - format.rightMargin(), 1);
    const qreal lines = qMax<qreal>(1, std::ceil(block.length() * m_metrics->first / available));
    return rounded(format.topMargin() + format.bottomMargin() + lines * m_metrics->second);
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
    const bool whole
        = oldEnd < b0 - 1 || oldEnd >= int(m_heights.size()) || (b0 == 0 && b1 == count - 1);
    const qreal heightBefore = total();
    if (whole) {
        m_heights.assign(size_t(count), 0);
        m_waiting.assign(size_t(count), true);
        m_waitingCount = count;
        int n = 0;
        for (QTextBlock block = doc->begin(); block.isValid() && n < count;
             block = block.next(), ++n) {
            m_heights[size_t(n)] = estimate(block);
        }
        rebuildTree();
        m_scan = 0;
        m_waitingAtStart = m_waitingCount; // what waited for an earlier document is gone
    } else {
        if (delta != 0) {
            for (int i = b0; i <= oldEnd; ++i)
                m_waitingCount -= m_waiting[size_t(i)] ? 1 : 0;
            m_heights.erase(m_heights.begin() + b0, m_heights.begin() + oldEnd + 1);
            const size_t inserted = size_t(b1 - b0) + 1;
            m_heights.insert(m_heights.begin() + b0, inserted, 0);
            m_waiting.erase(m_waiting.begin() + b0, m_waiting.begin() + oldEnd + 1);
            m_waiting.insert(m_waiting.begin() + b0, inserted, false);
            rebuildTree();
            if (m_scan > b0)
                m_scan = qMax(b0, m_scan + delta);
        }
        QTextBlock block = first;
        for (int i = b0; i <= b1 && block.isValid(); ++i, block = block.next()) {
            if (!m_waiting[size_t(i)]) {
                m_waiting[size_t(i)] = true;
                ++m_waitingCount;
            }
            setHeight(i, estimate(block));
        }
    }
    const bool eager = whole ? doc->characterCount() <= kEagerCharacters : b1 - b0 < kEagerBlocks;
    if (eager) {
        QTextBlock block = first;
        for (int i = b0; i <= b1 && block.isValid(); ++i, block = block.next())
            layOutWaiting(block, i);
        const qreal y = top(b0);
        Q_EMIT update(total() == heightBefore && delta == 0
                ? QRectF(0, y, kUnboundedWidth, top(b1 + 1) - y)
                : QRectF(0, y, kUnboundedWidth, kUnboundedWidth * 1e3));
    } else {
        Q_EMIT update();
    }
    if (whole && m_waitingCount == 0)
        Q_EMIT layoutProgress(100);
    if (m_waitingCount > 0 && !m_background.isActive()) {
        m_waitingAtStart = m_waitingCount;
        m_background.start();
    } else if (m_waitingCount > m_waitingAtStart) {
        m_waitingAtStart = m_waitingCount;
    }
    reportSize();
}

void RVDocumentLayout::reportSize() const
{
    const qreal height = total();
    if (height == m_reportedHeight)
        return;
    m_reportedHeight = height;
    auto* self = const_cast<RVDocumentLayout*>(this);
    Q_EMIT self->documentSizeChanged(QSizeF(width(), height));
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
    const qreal available
        = width() - 2 * document()->documentMargin() - format.leftMargin() - format.rightMargin();
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
    return rounded(y);
}

void RVDocumentLayout::layOutWaiting(const QTextBlock& block, int number) const
{
    if (number < 0 || number >= int(m_waiting.size()) || !m_waiting[size_t(number)])
        return;
    m_waiting[size_t(number)] = false;
    --m_waitingCount;
    setHeight(number, layOutBlock(block));
}

void RVDocumentLayout::layOutView(qreal viewTop, qreal viewBottom) const
{
    if (m_waitingCount == 0 || m_heights.empty())
        return;
    const qreal margin = document()->documentMargin();
    int n = blockAt(viewTop - margin);
    for (QTextBlock block = document()->findBlockByNumber(n);
         block.isValid() && n < int(m_heights.size()) && top(n) <= viewBottom;
         block = block.next(), ++n)
        layOutWaiting(block, n);
    // The new heights reach the view from the background, outside this query.
    if (m_reportedHeight != total() && !m_background.isActive())
        const_cast<QTimer&>(m_background).start();
}

void RVDocumentLayout::backgroundSlice()
{
    QElapsedTimer timer;
    timer.start();
    const int count = int(m_heights.size());
    QTextBlock block = document()->findBlockByNumber(m_scan);
    int n = m_scan;
    for (int visited = 0; m_waitingCount > 0 && visited < count; ++visited, ++n) {
        if (n >= count || !block.isValid()) {
            n = 0;
            block = document()->begin();
        }
        layOutWaiting(block, n);
        block = block.next();
        if (timer.elapsed() >= kSliceMs)
            break;
    }
    m_scan = n;
    reportSize();
    if (m_waitingCount > 0) {
        Q_EMIT update();
        Q_EMIT layoutProgress(m_waitingAtStart > 0
                ? int(std::clamp<qsizetype>(
                    100 * (m_waitingAtStart - m_waitingCount) / m_waitingAtStart, 0, 99))
                : 0);
        return;
    }
    m_background.stop();
    m_waitingAtStart = 0;
    Q_EMIT update();
    Q_EMIT layoutProgress(100);
}

void RVDocumentLayout::finishLayout()
{
    int n = 0;
    for (QTextBlock block = document()->begin(); block.isValid() && m_waitingCount > 0;
         block = block.next(), ++n)
        layOutWaiting(block, n);
    if (m_background.isActive()) {
        m_background.stop();
        m_waitingAtStart = 0;
        Q_EMIT update();
        Q_EMIT layoutProgress(100);
    }
    reportSize();
}

QSizeF RVDocumentLayout::documentSize() const
{
    return { width(), total() };
}

QRectF RVDocumentLayout::blockBoundingRect(const QTextBlock& block) const
{
    const int n = block.blockNumber();
    if (!block.isValid() || n < 0 || n >= int(m_heights.size()))
        return {};
    layOutWaiting(block, n);
    if (m_reportedHeight != total() && !m_background.isActive())
        const_cast<QTimer&>(m_background).start();
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
    if (m_heights.empty())
        return -1;
    const qreal margin = document()->documentMargin();
    // Laying out the block at the point changes its height: look again until the block found
    // there is laid out.
    int n = blockAt(point.y() - margin);
    for (int tries = 0; tries < 8 && m_waiting[size_t(n)]; ++tries) {
        layOutView(point.y(), point.y());
        n = blockAt(point.y() - margin);
    }
    const QTextBlock block = document()->findBlockByNumber(n);
    layOutWaiting(block, n);
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
    if (m_heights.empty())
        return;
    if (!context.clip.isValid())
        finishLayout();
    QTextDocument* doc = document();
    const qreal margin = doc->documentMargin();
    const QRectF clip
        = context.clip.isValid() ? context.clip : QRectF(0, 0, kUnboundedWidth, total());
    layOutView(clip.top(), clip.bottom());
    const int cursorWidth = property("cursorWidth").isValid() ? property("cursorWidth").toInt() : 1;
    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    int n = blockAt(clip.top() - margin);
    for (QTextBlock block = doc->findBlockByNumber(n); block.isValid(); block = block.next(), ++n) {
        const qreal y = top(n);
        if (y > clip.bottom())
            break;
        QTextLayout* layout = block.layout();
        layout->setPosition(QPointF(margin, y));
        const QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(QTextFormat::BackgroundBrush))
            painter->fillRect(
                QRectF(margin, y, width() - 2 * margin, m_heights[size_t(n)]), format.background());
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
            const int at
                = cursor < -1 ? layout->preeditAreaPosition() - (cursor + 2) : cursor - position;
            layout->drawCursor(painter, QPointF(), at, cursorWidth);
        }
    }
    painter->restore();
}

} // namespace ecolvar

#include "rvdocumentlayout.moc"
