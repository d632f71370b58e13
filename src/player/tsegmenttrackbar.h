#pragma once

#include <QColor>
#include <QSlider>
#include <QStringList>

namespace ecolvar {

// The player's position display and seek control: a horizontal track bar whose thumb shows where
// playback is and whose selection range (in bar units) shows the repeat segment. In list mode it
// paints, 3 pixels below its channel, a strip with one piece per file of the timeline, each as
// long as that file's share of the total. The main window's Panel9 owns it.
class TSegmentTrackBar : public QSlider {
    Q_OBJECT

public:
    explicit TSegmentTrackBar(QWidget* parent = nullptr);

    // Length of each file of the timeline in milliseconds, as decimal text, in playing order.
    QStringList SegLengths;
    // The timeline total in milliseconds.
    int TotalLength = 0;
    // Paint the strip of pieces.
    bool ShowSegments = false;

    // Sets the maximum; a maximum below the minimum is ignored.
    void setMax(int max);

    // The selection range in bar units, as set (painted within the range). 0 and 0 clear it.
    int SelStart() const { return m_selStart; }
    int SelEnd() const { return m_selEnd; }
    void setSelStart(int value);
    void setSelEnd(int value);

    // The channel (groove) rectangle in client pixels.
    QRect channelRect() const;

    // The two colours of the pieces, first piece first.
    static const QColor pieceColors[2];
    // The colour of the selection band in the channel.
    static const QColor selectionColor;
    // The strip runs from this many pixels below the channel's lower edge, this high.
    static constexpr int stripGap = 3;
    static constexpr int stripHeight = 3;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintSelection(QPainter& painter, const QRect& channel) const;
    void paintSegments(QPainter& painter, const QRect& channel) const;

    int m_selStart = 0;
    int m_selEnd = 0;
};

} // namespace ecolvar
