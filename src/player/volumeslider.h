#pragma once

#include <QWidget>

class QSlider;

namespace ecolvar {

class MediaDevice;

// The volume control at the right of the transport row: a slider from 0 to 100 %, applied to
// the playing device at once and remembered between runs (in the user's configuration folder).
// Owned by its parent widget; the device must outlive it.
class VolumeSlider : public QWidget {
    Q_OBJECT

public:
    explicit VolumeSlider(MediaDevice& device, QWidget* parent = nullptr);

    // The slider's value in percent.
    int percent() const;
    void setPercent(int percent);

private:
    void apply(int percent);

    MediaDevice& m_device;
    QSlider* m_slider;
};

} // namespace ecolvar
