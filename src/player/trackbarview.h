#pragma once

#include <QList>
#include <QtGlobal>

namespace ecolvar {

// What the timeline player needs of its track bar: a view of the timeline and the control the
// learner moves. Bar units are whole seconds in single-file mode and pixels of the bar's width in
// list mode. The segment track bar implements it; tests use a plain fake.
class TrackBarView {
public:
    virtual ~TrackBarView() = default;

    // The bar's width in pixels at this moment.
    virtual int barWidth() const = 0;

    // Shows the thumb at bar position value, held within 0 and the maximum.
    virtual void setThumb(int value) = 0;
    // Whether the learner is dragging the thumb.
    virtual bool isDragging() const = 0;
    // The range's upper end; a value below 0 is ignored.
    virtual void setBarMaximum(int maximum) = 0;

    // The repeat segment shown as a band, in bar units; 0 and 0 show none.
    virtual void showSelection(int start, int end) = 0;
    // The files of the timeline as pieces under the channel: their lengths in milliseconds in
    // playing order, and whether the strip is shown at all.
    virtual void showPieces(const QList<qint64>& lengthsMs, bool show) = 0;
};

} // namespace ecolvar
