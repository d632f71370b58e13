#include "core/ecolvarerror.h"
#include "fakemediadevice.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

// The fake stands in for the real device in the player's tests, so it must keep the device's
// contract: pending points apply once, the end point stops playback there, no-file errors.
TEST(FakeMediaDevice, KeepsTheDeviceContract)
{
    test::FakeMediaDevice device;
    device.addFile(u"/a.mp3"_s, 10'000);
    EXPECT_THROW(device.Play(), EcolvarError);
    EXPECT_EQ(device.Position(), 0);
    EXPECT_EQ(device.Mode(), ModeNotReady);

    device.setFileName(u"/a.mp3"_s);
    device.Open();
    device.setPlayFrom(2'000);
    device.setPlayTo(3'000);
    device.Play();
    device.advance(1'500);
    EXPECT_EQ(device.Mode(), ModeStopped);
    EXPECT_EQ(device.Position(), 3'000);
    EXPECT_EQ(device.PlayFrom(), 2'000);

    device.Play(); // nothing pending: on to the end of the file
    device.advance(20'000);
    EXPECT_EQ(device.Position(), 10'000);
    device.Play(); // at the end: from the beginning
    EXPECT_EQ(device.Position(), 0);

    device.Seek(4'000);
    device.setPlayFrom(0);
    device.setPlayTo(0); // an empty range plays on from the position
    device.Play();
    device.advance(1'000);
    EXPECT_EQ(device.Position(), 5'000);
    EXPECT_EQ(device.Mode(), ModePlaying);
}

// Speed and loop as the real device keeps them: positions in the file's time, the speed
// stepped and clamped and kept across files, a loop that wraps at its end and goes with the file.
TEST(FakeMediaDevice, HonoursSpeedAndLoop)
{
    test::FakeMediaDevice device;
    device.addFile(u"/a.mp3"_s, 10'000);
    device.addFile(u"/b.mp3"_s, 5'000);
    device.setFileName(u"/a.mp3"_s);
    device.Open();
    device.setSpeed(1.46);
    EXPECT_DOUBLE_EQ(device.speed(), 1.5);
    device.setSpeed(9.0);
    EXPECT_DOUBLE_EQ(device.speed(), MediaDevice::maxSpeed);
    device.setSpeed(0.5);
    device.Seek(1'000);
    device.Play();
    device.advance(400);
    EXPECT_EQ(device.Position(), 1'200);

    device.setSpeed(2.0);
    device.setLoop(1'500, 2'000);
    device.advance(550); // 1 200 + 1 100 is past the end: 300 into the loop
    EXPECT_EQ(device.Position(), 1'800);
    device.advance(10'000);
    EXPECT_EQ(device.Mode(), ModePlaying);
    EXPECT_GE(device.Position(), 1'500);
    EXPECT_LT(device.Position(), 2'000);

    device.setLoop(3'000, 3'000); // empty: no loop
    EXPECT_FALSE(device.loop());
    device.setLoop(1'500, 2'000);
    device.setFileName(u"/b.mp3"_s);
    device.Open();
    EXPECT_FALSE(device.loop());
    EXPECT_DOUBLE_EQ(device.speed(), 2.0);
    device.Play();
    device.advance(3'000);
    EXPECT_EQ(device.Mode(), ModeStopped);
    EXPECT_EQ(device.Position(), 5'000);
}

} // namespace
} // namespace ecolvar
