#include "timezone.h"

#include <QByteArray>

#include <ctime>

namespace tandor28::testsupport {

void setLocalTimeZone(const char* name)
{
    qputenv("TZ", QByteArray(name));
    tzset();
}

void unsetLocalTimeZone()
{
    qunsetenv("TZ");
    tzset();
}

ScopedTimeZone::ScopedTimeZone(const char* name) : m_before(qgetenv("TZ")), m_wasSet(qEnvironmentVariableIsSet("TZ"))
{
    setLocalTimeZone(name);
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (m_wasSet) {
        qputenv("TZ", m_before);
        tzset();
    } else {
        unsetLocalTimeZone();
    }
}

} // namespace tandor28::testsupport
