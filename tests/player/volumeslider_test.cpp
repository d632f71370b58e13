#include "core/settingsfile.h"
#include "player/speedcontrol.h"
#include "player/volumeslider.h"

#include "fakemediadevice.h"

#include <QAudio>
#include <QFile>

#include <gtest/gtest.h>

namespace ecolvar::test {
namespace {

float deviceLevel(int percent)
{
    return static_cast<float>(QAudio::convertVolume(
        percent / 100.0, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
}

TEST(VolumeSlider, StartsFullMovesTheDeviceAndIsRememberedForTheNextRun)
{
    QFile::remove(settingsFile());
    FakeMediaDevice device;
    {
        VolumeSlider slider(device);
        EXPECT_EQ(slider.percent(), 100);
        EXPECT_FLOAT_EQ(device.volume(), 1.0F);
        slider.setPercent(40);
        EXPECT_FLOAT_EQ(device.volume(), deviceLevel(40));
        EXPECT_LT(device.volume(), 0.4F);
        slider.setPercent(0);
        EXPECT_FLOAT_EQ(device.volume(), 0.0F);
        slider.setPercent(35);
    }
    FakeMediaDevice next;
    VolumeSlider again(next);
    EXPECT_EQ(again.percent(), 35);
    EXPECT_FLOAT_EQ(next.volume(), deviceLevel(35));
}

} // namespace
} // namespace ecolvar::test

namespace ecolvar::test {
namespace {

TEST(SpeedControl, StepsWithinItsRangeMovesTheDeviceAndIsRememberedForTheNextRun)
{
    QFile::remove(settingsFile());
    FakeMediaDevice device;
    {
        SpeedControl control(device);
        EXPECT_DOUBLE_EQ(control.speed(), 1.0);
        for (int i = 0; i < 8; ++i)
            control.slower();
        EXPECT_DOUBLE_EQ(control.speed(), 0.5);
        EXPECT_DOUBLE_EQ(device.speed(), 0.5);
        control.normal();
        for (int i = 0; i < 20; ++i)
            control.faster();
        EXPECT_DOUBLE_EQ(device.speed(), 2.0);
        control.setSpeed(0.7);
        EXPECT_DOUBLE_EQ(device.speed(), 0.7);
    }
    FakeMediaDevice next;
    SpeedControl again(next);
    EXPECT_DOUBLE_EQ(again.speed(), 0.7);
    EXPECT_DOUBLE_EQ(next.speed(), 0.7);
}

} // namespace
} // namespace ecolvar::test
