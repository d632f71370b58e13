#include "tsegmenttrackbar.h"

#include "player/barunits.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace ecolvar {

namespace {

// The application's style with a thumb 15 pixels long, where a left click on the bar puts the
// thumb under the pointer (rather than stepping towards it).
class ThumbStyle : public QProxyStyle {
public:
    int pixelMetric(
        PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_SliderLength)
            return 15;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
        QStyleHintReturn* returnData) const override
    {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

const QColor TSegmentTrackBar::pieceColors[2] = { QColor(157, 239, 253), QColor(152, 152, 250) };
const QColor TSegmentTrackBar::selectionColor(200, 70, 50);

TSegmentTrackBar::TSegmentTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("TrackBar"));
    setRange(0, 10);
    setSingleStep(1);
    setPageStep(2);
    setTickPosition(QSlider::NoTicks);
    auto* thumbStyle = new ThumbStyle;
    thumbStyle->setParent(this);
    setStyle(thumbStyle);
}

void TSegmentTrackBar::setBarMaximum(int max)
{
    if (max < minimum())
        return;
    setMaximum(max);
}

void TSegmentTrackBar::showSelection(int start, int end)
{
    if (start == m_selStart && end == m_selEnd)
        return;
    m_selStart = start;
    m_selEnd = end;
    update();
}

void TSegmentTrackBar::showPieces(const QList<qint64>& lengthsMs, bool show)
{
    m_pieces = lengthsMs;
    m_totalLength = 0;
    for (qint64 length : lengthsMs)
        m_totalLength += length;
    m_showPieces = show;
    update();
}

QRect TSegmentTrackBar::channelRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
}

void TSegmentTrackBar::paintEvent(QPaintEvent* /*event*/)
{
    // The channel first, then the selection in it, then the thumb over both.
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);

    const QRect channel = channelRect();
    paintSelection(painter, channel);

    option.subControls = QStyle::SC_SliderHandle;
    if (isSliderDown()) {
        option.activeSubControls = QStyle::SC_SliderHandle;
        option.state |= QStyle::State_Sunken;
    }
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);

    if (m_showPieces)
        paintSegments(painter, channel);
}

// The selection as a band inside the channel, between the thumb centres of its two ends, in a
// colour of its own: some styles already fill the channel up to the thumb.
void TSegmentTrackBar::paintSelection(QPainter& painter, const QRect& channel) const
{
    if (m_selStart == 0 && m_selEnd == 0)
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const int thumb = style()->pixelMetric(QStyle::PM_SliderLength, &option, this);
    const int span = std::max(channel.width() - thumb, 0);
    const auto pixel = [&](int value) {
        const int held = std::clamp(value, minimum(), maximum());
        return channel.left() + thumb / 2
            + QStyle::sliderPositionFromValue(minimum(), maximum(), held, span);
    };
    const int from = std::min(pixel(m_selStart), pixel(m_selEnd));
    const int to = std::max(pixel(m_selStart), pixel(m_selEnd));
    const QRect band(from, channel.top() + 1, to - from + 1, std::max(channel.height() - 2, 1));
    painter.fillRect(band, selectionColor);
}

// One piece per file: its width is the file's share of the channel, truncated on its own, so the
// strip may end a few pixels short and a very short file gets no pixels (but keeps its colour).
void TSegmentTrackBar::paintSegments(QPainter& painter, const QRect& channel) const
{
    if (m_totalLength <= 0)
        return;
    const double pixelsPerMs
        = static_cast<double>(channel.width()) / static_cast<double>(m_totalLength);
    const int top = channel.y() + channel.height() + stripGap;
    int x = channel.left();
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const int width
            = std::max(truncToInt(static_cast<double>(m_pieces.at(i)) * pixelsPerMs), 0);
        if (width > 0)
            painter.fillRect(QRect(x, top, width, stripHeight), pieceColors[i % 2]);
        x += width;
    }
}

} // namespace ecolvar
