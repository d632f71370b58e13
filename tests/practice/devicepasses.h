#pragma once

#include "player/mediadevice.h"
#include "practice/sentencedrill.h"

namespace ecolvar::test {

// The drill's passes straight on one device, over the device's play range.
class DevicePasses : public PassPlayer {
public:
    explicit DevicePasses(MediaDevice& device) : m_device(device) { }
    void playPass(qint64 startMs, qint64 endMs) override
    {
        m_device.setPlayFrom(int(startMs));
        m_device.setPlayTo(int(endMs));
        m_device.Play();
    }
    bool isPassPlaying() override { return m_device.Mode() == ModePlaying; }
    void stopPasses() override { m_device.Stop(); }

private:
    MediaDevice& m_device;
};

} // namespace ecolvar::test
