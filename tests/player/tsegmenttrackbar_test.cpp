#include "player/tsegmenttrackbar.h"

#include "qtprinters.h"

#include <QImage>
#include <QStyle>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

// A run of equal pixels along the strip: its colour and its width.
struct Piece {
    QRgb color;
    int width;
    bool operator==(const Piece&) const = default;
};

void PrintTo(const Piece& p, std::ostream* os)
{
    *os << "{" << qRed(p.color) << "," << qGreen(p.color) << "," << qBlue(p.color) << " x "
        << p.width << "}";
}

class TSegmentTrackBarTest : public ::testing::Test {
protected:
    // Sizes the bar so that its channel is channelWidth pixels wide.
    void setChannelWidth(int channelWidth)
    {
        bar.resize(400, 27);
        bar.resize(400 + channelWidth - bar.channelRect().width(), 27);
        ASSERT_EQ(bar.channelRect().width(), channelWidth);
    }

    void setSegments(const QList<int>& lengths, bool show = true)
    {
        QList<qint64> pieces;
        for (int length : lengths)
            pieces.append(length);
        bar.showPieces(pieces, show);
    }

    // The pieces in strip colours along one row of the rendered bar, from the channel's left end.
    QList<Piece> piecesInRow(const QImage& image, int y) const
    {
        QList<Piece> pieces;
        const QRect channel = bar.channelRect();
        for (int x = channel.left(); x < image.width(); ++x) {
            const QRgb color = image.pixel(x, y) | 0xff000000;
            const bool inStrip = color == TSegmentTrackBar::pieceColors[0].rgb()
                || color == TSegmentTrackBar::pieceColors[1].rgb();
            if (!inStrip)
                break;
            if (!pieces.isEmpty() && pieces.last().color == color)
                ++pieces.last().width;
            else
                pieces.append({ color, 1 });
        }
        return pieces;
    }

    QImage render() { return bar.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // The rows of the strip: 3 pixels from 3 pixels below the channel's lower edge.
    int stripTop() const { return bar.channelRect().y() + bar.channelRect().height() + 3; }

    TSegmentTrackBar bar;
};

TEST_F(TSegmentTrackBarTest, IsAHorizontalBarOfTenUnitsUntilLoaded)
{
    EXPECT_EQ(bar.orientation(), Qt::Horizontal);
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 10);
    EXPECT_EQ(bar.singleStep(), 1);
    EXPECT_EQ(bar.pageStep(), 2);
    EXPECT_EQ(bar.tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(bar.style()->pixelMetric(QStyle::PM_SliderLength, nullptr, &bar), 15);
    EXPECT_FALSE(bar.ShowSegments());

    bar.setValue(25);
    EXPECT_EQ(bar.value(), 10);
    bar.setBarMaximum(-5); // below the minimum: ignored
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 10);
    bar.setBarMaximum(4);
    EXPECT_EQ(bar.value(), 4);
    bar.setValue(-3);
    EXPECT_EQ(bar.value(), 0);
}

TEST_F(TSegmentTrackBarTest, PaintsOnePiecePerFileInAlternatingColours)
{
    const QRgb first = TSegmentTrackBar::pieceColors[0].rgb();
    const QRgb second = TSegmentTrackBar::pieceColors[1].rgb();
    EXPECT_EQ(first, qRgb(157, 239, 253));
    EXPECT_EQ(second, qRgb(152, 152, 250));

    setChannelWidth(380);
    setSegments({ 30'000, 10'000 });
    QImage image = render();
    for (int y = stripTop(); y < stripTop() + 3; ++y)
        EXPECT_EQ(piecesInRow(image, y), (QList<Piece> { { first, 285 }, { second, 95 } }));
    EXPECT_TRUE(piecesInRow(image, stripTop() - 1).isEmpty());
    EXPECT_TRUE(piecesInRow(image, stripTop() + 3).isEmpty());

    // Each width truncated on its own: the strip ends one pixel short.
    setChannelWidth(100);
    setSegments({ 10'000, 10'000, 10'000 });
    image = render();
    EXPECT_EQ(piecesInRow(image, stripTop() + 1),
        (QList<Piece> { { first, 33 }, { second, 33 }, { first, 33 } }));

    // A file too short for a pixel still takes its turn in the alternation: the file after it
    // has the first file's colour, so the two pieces run together.
    setSegments({ 10'000, 10, 9'990 });
    EXPECT_EQ(piecesInRow(render(), stripTop() + 1), (QList<Piece> { { first, 50 + 49 } }));
}

TEST_F(TSegmentTrackBarTest, PaintsNoStripInSingleFileModeOrWithoutLengths)
{
    setChannelWidth(200);
    for (const auto& [lengths, show] :
        { std::pair { QList<int> { 5'000, 5'000 }, false }, std::pair { QList<int> {}, true } }) {
        setSegments(lengths, show);
        const QImage image = render();
        for (int y = 0; y < image.height(); ++y)
            EXPECT_TRUE(piecesInRow(image, y).isEmpty()) << "row " << y;
    }
}

TEST_F(TSegmentTrackBarTest, ShowsTheSelectionInTheChannel)
{
    setChannelWidth(200);
    const QRgb highlight = TSegmentTrackBar::selectionColor.rgb();
    const auto highlighted = [&](const QImage& image) {
        const QRect channel = bar.channelRect();
        QList<int> columns;
        for (int x = channel.left(); x <= channel.right(); ++x)
            if ((image.pixel(x, channel.center().y()) | 0xff000000) == highlight)
                columns.append(x);
        return columns;
    };
    bar.setValue(10);
    EXPECT_TRUE(highlighted(render()).isEmpty());

    bar.showSelection(2, 6);
    const QList<int> columns = highlighted(render());
    ASSERT_FALSE(columns.isEmpty());
    const QRect channel = bar.channelRect();
    // Roughly the second to the sixth tenth of the channel.
    EXPECT_NEAR(columns.first() - channel.left(), channel.width() * 2 / 10, 12);
    EXPECT_NEAR(columns.last() - channel.left(), channel.width() * 6 / 10, 12);
    EXPECT_EQ(bar.SelStart(), 2);

    bar.showSelection(0, 0);
    EXPECT_TRUE(highlighted(render()).isEmpty());
}

} // namespace
} // namespace ecolvar
