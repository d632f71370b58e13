#pragma once

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>

#include <vector>

namespace ecolvar {

// A document layout for documents that are a flat run of paragraphs (no tables or nested
// frames of their own): each block's height is kept in a Fenwick tree, so an edit inside one
// paragraph lays out only that paragraph and the blocks below it move without being visited.
// Large changes (a load, a new width) are laid out when first asked for (size, painting, hit
// test). Tables and frames that arrive through a paste are laid out as plain paragraphs.
class RVDocumentLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit RVDocumentLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // How many blocks have been laid out since the layout was made: a hook for tests that an
    // edit inside one paragraph does not lay out the others.
    qint64 blocksLaidOut() const { return m_laidOut; }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // Lays out the blocks waiting for it and tells the view when the size changed.
    void ensureLaidOut() const;
    qreal layOutBlock(const QTextBlock& block) const;
    qreal width() const;
    qreal top(int blockNumber) const;
    // The number of the block at y (document coordinates, margin taken off).
    int blockAt(qreal y) const;
    void rebuildTree() const;
    void addToTree(int index, qreal delta) const;

    // Heights of the blocks by number; negative for a block waiting to be laid out.
    mutable std::vector<qreal> m_heights;
    mutable std::vector<qreal> m_tree; // Fenwick tree over m_heights (waiting blocks count 0)
    // Block numbers [m_dirtyFrom, m_dirtyTo] may hold blocks waiting; empty when from > to.
    mutable int m_dirtyFrom = 0;
    mutable int m_dirtyTo = -1;
    mutable qreal m_reportedHeight = -1;
    mutable qint64 m_laidOut = 0;
    qreal m_width = -1;
};

} // namespace ecolvar
