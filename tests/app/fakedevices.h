#pragma once

#include "app/tform1.h"
#include "fakemediadevice.h"

#include <memory>

namespace ecolvar::test {

// The window's two media devices as fakes on a manual clock. The window owns them; the pointers
// stay valid while it lives.
class FakeDevices {
public:
    MediaDeviceFactory factory()
    {
        return [this] {
            auto playing = std::make_unique<FakeMediaDevice>();
            auto probing = std::make_unique<FakeMediaDevice>();
            player = playing.get();
            probe = probing.get();
            return MediaDevices { std::move(playing), std::move(probing) };
        };
    }

    // A file that both devices open with the given length.
    void addFile(const QString& path, int lengthMs)
    {
        player->addFile(path, lengthMs);
        probe->addFile(path, lengthMs);
    }

    FakeMediaDevice* player = nullptr;
    FakeMediaDevice* probe = nullptr;
};

} // namespace ecolvar::test
