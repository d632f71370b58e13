#pragma once

#include "player/trackbarview.h"

#include <algorithm>

namespace ecolvar::test {

// The track bar as plain values: a width, a thumb held within 0 and the maximum, and what it was
// told to show.
class FakeTrackBar : public TrackBarView {
public:
    int barWidth() const override { return width; }
    int thumb() const { return m_thumb; }
    void setThumb(int value) override { m_thumb = std::clamp(value, 0, maximum); }
    bool isDragging() const override { return dragging; }
    void setBarMaximum(int max) override
    {
        if (max < 0)
            return;
        maximum = max;
        m_thumb = std::min(m_thumb, maximum);
    }
    void showSelection(int start, int end) override
    {
        selStart = start;
        selEnd = end;
    }
    void showPieces(const QList<qint64>& lengthsMs, bool show) override
    {
        pieces = lengthsMs;
        piecesShown = show;
    }

    int width = 400;
    bool dragging = false;
    int maximum = 10;
    int selStart = 0;
    int selEnd = 0;
    QList<qint64> pieces;
    bool piecesShown = false;

private:
    int m_thumb = 0;
};

} // namespace ecolvar::test
