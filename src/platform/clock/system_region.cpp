#include "platform/clock/system_region.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

namespace tnx::clock {

SystemRegion systemRegion() {
    SystemRegion r;
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid()) return r;
    r.utcOffsetSeconds = zone.offsetFromUtc(QDateTime::currentDateTimeUtc());
    const QLocale::Territory t = zone.territory();
    if (t != QLocale::AnyTerritory) r.territory = QLocale::territoryToString(t).toStdString();
    return r;
}

}  // namespace tnx::clock
