#include "speedcontrol.h"

#include "core/settingsfile.h"
#include "mediadevice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QSettings>

#include <cmath>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const QString speedKey = u"player/speed"_s;
// 0.5, 0.6, ... 2.0: index i is the speed (5 + i) / 10.
constexpr int steps = 16;
constexpr int normalIndex = 5;

int indexOf(double speed)
{
    return std::clamp(static_cast<int>(std::lround(speed * 10)) - 5, 0, steps - 1);
}

} // namespace

SpeedControl::SpeedControl(MediaDevice& device, QWidget* parent)
    : QWidget(parent), m_device(device), m_box(new QComboBox(this))
{
    setObjectName(u"SpeedControl"_s);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    for (int i = 0; i < steps; ++i)
        m_box->addItem(u"%1×"_s.arg((5 + i) / 10.0, 0, 'f', 1));
    m_box->setFocusPolicy(Qt::NoFocus);
    m_box->setAccessibleName(u"播放速度"_s);
    m_box->setToolTip(u"播放速度（音调不变）：F10 减速，F11 加速，F12 恢复正常速度"_s);
    layout->addWidget(m_box);

    const QSettings settings(settingsFile(), QSettings::IniFormat);
    m_box->setCurrentIndex(indexOf(settings.value(speedKey, 1.0).toDouble()));
    apply(m_box->currentIndex());
    connect(m_box, &QComboBox::currentIndexChanged, this, [this](int index) {
        apply(index);
        QSettings(settingsFile(), QSettings::IniFormat).setValue(speedKey, (5 + index) / 10.0);
    });
}

double SpeedControl::speed() const
{
    return (5 + m_box->currentIndex()) / 10.0;
}

void SpeedControl::setSpeed(double speed)
{
    m_box->setCurrentIndex(indexOf(speed));
}

void SpeedControl::slower()
{
    m_box->setCurrentIndex(std::max(m_box->currentIndex() - 1, 0));
}

void SpeedControl::faster()
{
    m_box->setCurrentIndex(std::min(m_box->currentIndex() + 1, steps - 1));
}

void SpeedControl::normal()
{
    m_box->setCurrentIndex(normalIndex);
}

void SpeedControl::apply(int index)
{
    m_device.setSpeed((5 + index) / 10.0);
}

} // namespace ecolvar
