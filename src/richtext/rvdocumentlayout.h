#pragma once

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QTextBlock>
#include <QTimer>

#include <optional>
#include <utility>
#include <vector>

namespace ecolvar {

// A document layout for documents that are a flat run of paragraphs (no tables or nested
// frames of their own): each block's height is kept in a Fenwick tree, so an edit inside one
// paragraph lays out only that paragraph and the blocks below it move without being visited.
// Large changes (a load, a new width) leave their blocks waiting with an estimated height: the
// blocks that are shown, hit or asked for are laid out at once, the rest in the background in
// slices of a few milliseconds, with layoutProgress() meanwhile. Tables and frames that arrive
// through a paste are laid out as plain paragraphs. Owned by its document.
class RVDocumentLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit RVDocumentLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    // The height counts waiting blocks at their estimate.
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Lays out the waiting blocks from the top of a view down to its bottom (document
    // coordinates).
    void layOutView(qreal top, qreal bottom) const;
    // Lays out every waiting block now.
    void finishLayout();
    bool isLaidOut() const { return m_waitingCount == 0; }
    // How many blocks have been laid out since the layout was made: a hook for tests that an
    // edit inside one paragraph does not lay out the others.
    qint64 blocksLaidOut() const { return m_laidOut; }

Q_SIGNALS:
    // While blocks wait for the background: the share laid out, 0 to 99; 100 when done.
    void layoutProgress(int percent);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void layOutWaiting(const QTextBlock& block, int number) const;
    void backgroundSlice();
    qreal layOutBlock(const QTextBlock& block) const;
    qreal estimate(const QTextBlock& block) const;
    qreal width() const;
    qreal top(int blockNumber) const;
    qreal total() const;
    // The number of the block at y (document coordinates, margin taken off).
    int blockAt(qreal y) const;
    void rebuildTree() const;
    void setHeight(int index, qreal height) const;
    void reportSize() const;

    // Heights of the blocks by number: laid out, or estimated for a waiting block.
    mutable std::vector<qreal> m_heights;
    mutable std::vector<bool> m_waiting;
    mutable qsizetype m_waitingCount = 0;
    mutable std::vector<qreal> m_tree; // Fenwick tree over m_heights
    mutable qreal m_reportedHeight = -1;
    mutable qint64 m_laidOut = 0;
    int m_scan = 0; // where the background goes on looking for waiting blocks
    qsizetype m_waitingAtStart = 0;
    QTimer m_background;
    // The default font's average character width and line spacing, for the estimates.
    mutable QFont m_metricsFont;
    mutable std::optional<std::pair<qreal, qreal>> m_metrics;
};

} // namespace ecolvar
