#include "mediadevice.h"

#include <algorithm>
#include <cmath>

namespace ecolvar {

void MediaDevice::setSpeed(double speed)
{
    const double stepped = std::round(std::clamp(speed, minSpeed, maxSpeed) * 10.0) / 10.0;
    if (stepped == m_speed)
        return;
    m_speed = stepped;
    speedChanged();
}

void MediaDevice::setLoop(int fromMs, int toMs)
{
    if (fromMs < 0 || fromMs >= toMs) {
        clearLoop();
        return;
    }
    if (m_loop && m_loop->fromMs == fromMs && m_loop->toMs == toMs)
        return;
    m_loop = LoopRange { fromMs, toMs };
    loopChanged();
}

void MediaDevice::clearLoop()
{
    if (!m_loop)
        return;
    m_loop.reset();
    loopChanged();
}

void MediaDevice::setNextFile(const QString& path)
{
    if (path == m_nextFile)
        return;
    m_nextFile = path;
    nextFileChanged();
}

void MediaDevice::movedOn(const QString& path)
{
    m_fileName = path;
    if (m_nextFile == path)
        m_nextFile.clear();
    ++m_movedOn;
    clearLoop();
}

} // namespace ecolvar
