// Time as the plug-in keeps it, and the clock the portable code reads.
#pragma once
#include <cstdint>

// A point in time: signed 32-bit seconds since 1970-01-01 00:00 UTC. Durations use the same type.
using TimeValue = std::int32_t;

class IClock {
public:
    virtual ~IClock() = default;
    virtual TimeValue now() = 0;
};

// The system clock.
class SystemClock : public IClock {
public:
    TimeValue now() override;
};
