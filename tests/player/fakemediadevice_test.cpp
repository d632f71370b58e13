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

} // namespace
} // namespace ecolvar
