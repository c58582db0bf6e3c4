// What a procedure boundary (window, dialog or subclass procedure, thread entry) does
// with an exception that reached it: the exception stops there, is logged, and on the
// UI thread the user is told in a plain message box. Whatever was running, a recording
// included, carries on. Call these from inside a catch block; they never throw.
#pragma once
#include <windows.h>

namespace korvane {

// Logs the exception in flight (OutputDebugString), naming `where`.
void LogCaughtException(const char* where) noexcept;

// Logs it and tells the user, unless a box of ours is already up (a failing WM_PAINT
// would otherwise stack one box on another). UI thread only.
void ReportCaughtException(const char* where) noexcept;

// The body of a thread entry: an exception stops at the thread's edge and is logged
// naming `where`; then `onEscape` (which must not throw) leaves the thread's shared state
// sound for whoever waits on it.
template <class Body, class OnEscape>
void GuardThreadEntry(const char* where, Body&& body, OnEscape&& onEscape) noexcept
{
    try {
        body();
    } catch (...) {
        LogCaughtException(where);
        onEscape();
    }
}

template <class Body>
void GuardThreadEntry(const char* where, Body&& body) noexcept
{
    GuardThreadEntry(where, static_cast<Body&&>(body), [] {});
}

}  // namespace korvane
