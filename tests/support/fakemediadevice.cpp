#include "fakemediadevice.h"

#include "core/ecolvarerror.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace ecolvar::test {

void FakeMediaDevice::addFile(const QString& path, int lengthMs, int format)
{
    m_lengths.insert(path, lengthMs);
    m_formats.insert(path, format);
}

void FakeMediaDevice::addBrokenFile(const QString& path, const QString& errorText)
{
    m_broken.insert(path, errorText);
}

void FakeMediaDevice::requireOpen() const
{
    if (!m_open)
        throw EcolvarError(noDeviceOpenText());
}

void FakeMediaDevice::Open()
{
    Close();
    clearLoop();
    m_calls.append(u"Open "_s + QFileInfo(FileName()).fileName());
    clearNextFile();
    if (m_broken.contains(FileName()))
        throw EcolvarError(m_broken.value(FileName()));
    if (!m_lengths.contains(FileName()))
        throw EcolvarError(u"System error : No such file or directory."_s);
    m_open = true;
    m_openFile = FileName();
    m_length = m_lengths.value(FileName());
    m_position = 0;
    m_mode = ModeStopped;
}

void FakeMediaDevice::Close()
{
    if (!m_open)
        return;
    m_calls.append(u"Close"_s);
    m_open = false;
    m_openFile.clear();
    m_position = 0;
    m_mode = ModeNotReady;
}

void FakeMediaDevice::Play()
{
    requireOpen();
    const PendingRange range = takePending();
    int end = m_length;
    if (range.from || range.to) {
        const int from = range.from.value_or(m_position);
        const int to = std::min(range.to.value_or(m_length), m_length);
        if (from < to) {
            m_position = std::clamp(from, 0, m_length);
            end = to;
        }
    } else if (m_position >= m_length) {
        m_position = 0;
    }
    m_end = end;
    m_mode = ModePlaying;
    m_calls.append(u"Play %1-%2"_s.arg(m_position).arg(m_end));
}

void FakeMediaDevice::Stop()
{
    requireOpen();
    m_calls.append(u"Stop"_s);
    m_mode = ModeStopped;
}

void FakeMediaDevice::Seek(int ms)
{
    requireOpen();
    m_calls.append(u"Seek %1"_s.arg(ms));
    m_position = std::clamp(ms, 0, m_length);
    m_mode = ModeStopped;
}

int FakeMediaDevice::Length()
{
    requireOpen();
    return m_length;
}

int FakeMediaDevice::Position()
{
    return m_open ? m_position : 0;
}

int FakeMediaDevice::Mode()
{
    return m_mode;
}

void FakeMediaDevice::advance(int ms)
{
    if (m_mode != ModePlaying)
        return;
    const int before = m_position;
    m_position += static_cast<int>(std::lround(ms * speed()));
    if (loop() && before < loop()->toMs && m_position >= loop()->toMs && loop()->toMs <= m_end) {
        const int length = loop()->toMs - loop()->fromMs;
        m_position = loop()->fromMs + (m_position - loop()->toMs) % length;
    }
    while (m_position >= m_end && m_end == m_length && moveOn())
        ;
    if (m_position >= m_end) {
        m_position = m_end;
        m_mode = ModeStopped;
    }
}

bool FakeMediaDevice::moveOn()
{
    const QString next = nextFile();
    if (next.isEmpty() || !m_lengths.contains(next) || m_broken.contains(next)
        || m_formats.value(next) != m_formats.value(m_openFile))
        return false;
    m_calls.append(u"Move on "_s + QFileInfo(next).fileName());
    m_position -= m_length;
    m_openFile = next;
    m_length = m_end = m_lengths.value(next);
    movedOn(next);
    return true;
}

} // namespace ecolvar::test
