#include "volumeslider.h"

#include "core/settingsfile.h"

#include "mediadevice.h"

#include <QAudio>
#include <QHBoxLayout>
#include <QSettings>
#include <QSlider>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const QString volumeKey = u"player/volume"_s;

} // namespace

VolumeSlider::VolumeSlider(MediaDevice& device, QWidget* parent)
    : QWidget(parent), m_device(device), m_slider(new QSlider(Qt::Horizontal, this))
{
    setObjectName(u"VolumeSlider"_s);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    m_slider->setRange(0, 100);
    m_slider->setPageStep(10);
    m_slider->setFixedWidth(64);
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_slider->setAccessibleName(u"音量"_s);
    layout->addWidget(m_slider);

    const QSettings settings(settingsFile(), QSettings::IniFormat);
    m_slider->setValue(std::clamp(settings.value(volumeKey, 100).toInt(), 0, 100));
    apply(m_slider->value());
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        apply(value);
        QSettings(settingsFile(), QSettings::IniFormat).setValue(volumeKey, value);
    });
}

int VolumeSlider::percent() const
{
    return m_slider->value();
}

void VolumeSlider::setPercent(int percent)
{
    m_slider->setValue(percent);
}

void VolumeSlider::apply(int percent)
{
    setToolTip(u"音量：%1%"_s.arg(percent));
    // The slider moves in steps the ear hears as even; the device takes an amplitude factor.
    m_device.setVolume(static_cast<float>(QAudio::convertVolume(
        percent / 100.0, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale)));
}

} // namespace ecolvar
