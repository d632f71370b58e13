#pragma once

#include "player/trackbarview.h"

#include <QColor>
#include <QList>
#include <QSlider>

namespace ecolvar {

// The player's position display and seek control: a horizontal track bar whose thumb shows where
// playback is and whose selection range (in bar units) shows the repeat segment. In list mode it
// paints, 3 pixels below its channel, a strip with one piece per file of the timeline, each as
// long as that file's share of the total. The main window's Panel9 owns it; the timeline player
// tells it what to show.
class TSegmentTrackBar : public QSlider, public TrackBarView {
    Q_OBJECT

public:
    explicit TSegmentTrackBar(QWidget* parent = nullptr);

    int barWidth() const override { return width(); }
    void setThumb(int value) override { setValue(value); }
    bool isDragging() const override { return isSliderDown(); }
    // A maximum below the minimum is ignored.
    void setBarMaximum(int max) override;
    void showSelection(int start, int end) override;
    void showPieces(const QList<qint64>& lengthsMs, bool show) override;

    // The selection range in bar units, as shown (painted within the range).
    int SelStart() const { return m_selStart; }
    int SelEnd() const { return m_selEnd; }
    // The pieces shown, in milliseconds, and whether the strip is painted.
    const QList<qint64>& pieces() const { return m_pieces; }
    bool ShowSegments() const { return m_showPieces; }

    // Sentence marks shown as short ticks under the channel, in bar units (fractions allowed);
    // empty shows none.
    void showSentenceTicks(const QList<double>& barUnits);
    const QList<double>& sentenceTicks() const { return m_sentenceTicks; }

    // The channel (groove) rectangle in client pixels.
    QRect channelRect() const;

    // The two colours of the pieces, first piece first.
    static const QColor pieceColors[2];
    // The colour of the selection band in the channel.
    static const QColor selectionColor;
    // The strip runs from this many pixels below the channel's lower edge, this high.
    static constexpr int stripGap = 3;
    static constexpr int stripHeight = 3;
    // The colour of the sentence ticks.
    static const QColor tickColor;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintSelection(QPainter& painter, const QRect& channel) const;
    void paintSegments(QPainter& painter, const QRect& channel) const;
    void paintSentenceTicks(QPainter& painter, const QRect& channel) const;

    int m_selStart = 0;
    int m_selEnd = 0;
    QList<qint64> m_pieces;
    qint64 m_totalLength = 0;
    bool m_showPieces = false;
    QList<double> m_sentenceTicks;
};

} // namespace ecolvar
