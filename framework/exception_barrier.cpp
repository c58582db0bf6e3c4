// The exception barrier's logging and message box (see the header for threads).
#include "exception_barrier.h"

#include <atomic>
#include <cstdio>
#include <exception>

namespace korvane {

namespace {

std::atomic<bool> boxShowing{false};

// Formats without allocating: the exception may well be bad_alloc.
void Describe(const char* where, char* text, size_t size) noexcept
{
    try {
        throw;
    } catch (const std::exception& e) {
        std::snprintf(text, size, "Korvane: %s stopped an exception: %s\n", where, e.what());
    } catch (...) {
        std::snprintf(text, size, "Korvane: %s stopped an unknown exception\n", where);
    }
}

}  // namespace

void LogCaughtException(const char* where) noexcept
{
    char text[512];
    Describe(where, text, sizeof text);
    OutputDebugStringA(text);
}

void ReportCaughtException(const char* where) noexcept
{
    LogCaughtException(where);
    if (boxShowing.exchange(true))
        return;
    MessageBoxA(nullptr,
                "An internal error occurred. The program carries on; if something "
                "looks wrong, save your work and restart it.",
                "Internal error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    boxShowing = false;
}

}  // namespace korvane
