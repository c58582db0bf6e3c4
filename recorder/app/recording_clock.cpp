// The recording clock over the system's unbiased interrupt time.
#include "recording_clock.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

using QueryUnbiasedInterruptTimeFn = BOOL(WINAPI*)(PULONGLONG);

// Looked up rather than linked: the program still starts where the call is missing.
QueryUnbiasedInterruptTimeFn UnbiasedClock()
{
    static const QueryUnbiasedInterruptTimeFn fn = [] {
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<QueryUnbiasedInterruptTimeFn>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "QueryUnbiasedInterruptTime")))
                      : nullptr;
    }();
    return fn;
}

}  // namespace

unsigned RecordingClockMs()
{
    // One clock or the other for the life of the process, never both.
    const QueryUnbiasedInterruptTimeFn fn = UnbiasedClock();
    if (!fn)
        return timeGetTime();
    ULONGLONG hundredNs = 0;
    fn(&hundredNs);
    return static_cast<unsigned>(hundredNs / 10000);
}
