#pragma once

#include <QWidget>

class QComboBox;

namespace ecolvar {

class MediaDevice;

// The speed control at the end of the transport row: a small drop-down from "0.5×" to "2.0×" in
// steps of 0.1, applied to the playing device at once (the pitch stays) and remembered between
// runs beside the volume. Owned by its parent widget; the device must outlive it.
class SpeedControl : public QWidget {
    Q_OBJECT

public:
    explicit SpeedControl(MediaDevice& device, QWidget* parent = nullptr);

    // The speed shown, as a factor.
    double speed() const;
    void setSpeed(double speed);
    // One step slower or faster (nothing past the ends), and back to 1.0×.
    void slower();
    void faster();
    void normal();

private:
    void apply(int index);

    MediaDevice& m_device;
    QComboBox* m_box;
};

} // namespace ecolvar
