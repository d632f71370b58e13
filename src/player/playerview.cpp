#include "playerview.h"

#include "core/commonprocs.h"

using namespace Qt::StringLiterals;

namespace ecolvar {

QString positionText(qint64 positionMs, qint64 totalMs)
{
    return u"位置："_s + MsToTimeText(positionMs) + u"/"_s + MsToTimeText(totalMs);
}

QString segmentText(qint64 startMs, qint64 endMs)
{
    return u"起始点：%1  结束点：%2"_s.arg(MsToTimeText(startMs), MsToTimeText(endMs));
}

} // namespace ecolvar
