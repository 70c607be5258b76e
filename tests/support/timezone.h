#pragma once

#include <QByteArray>

// The local time zone of the test process: Keno and archive tests read Vancouver times as Shanghai's
// local time, whatever the machine's own zone is.
namespace tandor28::testsupport {

// Sets TZ (e.g. "Asia/Shanghai") for this process; call from initTestCase.
void setLocalTimeZone(const char* name);
// Gives the machine's zone back; call from cleanupTestCase.
void unsetLocalTimeZone();

// The zone for one scope: set on construction, the zone before it (or none) given back on destruction.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* name);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    QByteArray m_before;
    bool m_wasSet;
};

} // namespace tandor28::testsupport
