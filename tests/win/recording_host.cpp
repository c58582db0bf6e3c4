// Test host for the real recordings checked by recording_real.sh with independent
// tools. It runs the recording thread against a hidden stand-in main window and
// leaves the movie, the posted messages and what it showed in OUTDIR.
//   recording_host counter OUTDIR   a Gray-coded counter in large blocks, changed every
//                                   40 ms, recorded for about 3 s at 320x240
//   recording_host notepad OUTDIR   Notepad's text area with the pointer over it, where
//                                   the reported cursor is Notepad's own handle
//   recording_host wide OUTDIR      a 1280x720 page of text and colour with the arrow
//                                   over it (needs a desktop of at least 1440x860)
// Handshake: the host writes OUTDIR\ready.txt (what to screenshot) and waits for the
// script's OUTDIR\shot.done before it stops the recording.
#include "app/recording_report.h"
#include "capture/recording_stats.h"
#include "host_main.h"
#include "kernel_owners.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace {

const int kLeft = 200, kTop = 150, kWidth = 320, kHeight = 240;

std::atomic<bool> counterFrozen{false};
std::atomic<unsigned> shownValue{0};
DWORD counterStart = 0;

unsigned CounterNow() { return (timeGetTime() - counterStart) / 40; }

// Stripes, the Gray-coded value in large blocks and a caption.
void PaintCounter(HDC mem, unsigned value)
{
    const COLORREF stripes[] = {RGB(200, 40, 40), RGB(40, 160, 60), RGB(40, 60, 200),
                                RGB(230, 200, 40), RGB(120, 40, 160)};
    for (int i = 0; i < 5; ++i) {
        RECT r = {0, i * 20, kWidth, i * 20 + 20};
        FillRect(mem, &r, korvane::Brush(CreateSolidBrush(stripes[i])).Get());
    }
    const unsigned gray = value ^ (value >> 1);
    for (int bit = 0; bit < 8; ++bit) {
        const bool set = (gray >> (7 - bit)) & 1;
        RECT on = {bit * 40, 100, bit * 40 + 40, 140};
        RECT off = {bit * 40, 140, bit * 40 + 40, 180};
        FillRect(mem, &on, static_cast<HBRUSH>(GetStockObject(set ? WHITE_BRUSH : BLACK_BRUSH)));
        FillRect(mem, &off, static_cast<HBRUSH>(GetStockObject(set ? BLACK_BRUSH : WHITE_BRUSH)));
    }
    RECT text = {0, 180, kWidth, kHeight};
    FillRect(mem, &text, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    SetBkMode(mem, TRANSPARENT);
    char line[64];
    std::snprintf(line, sizeof line, "Korvane counter %u", value);
    TextOutA(mem, 10, 200, line, lstrlenA(line));
}

// The counter moves on until it is frozen; a tick repaints only a new value.
bool CounterChanged()
{
    const unsigned now = CounterNow();
    if (counterFrozen || now == shownValue)
        return false;
    shownValue = now;
    return true;
}

// Runs the recording thread on captureRect; `middle` runs while it records.
int RecordAndReport(MessageSink& sink, const std::string& outDir, DWORD minimumMs,
                    const std::function<bool()>& middle)
{
    bool ok = false;
    const bool ended = sink.Record([&] {
        const DWORD start = GetTickCount();
        ok = middle();
        const DWORD spent = GetTickCount() - start;
        if (spent < minimumMs)
            sink.PumpFor(minimumMs - spent);
    });
    WriteReceivedMessages(sink, outDir);
    const korvane::RecordingStats& s = recordingReport.stats;
    char stats[256];
    std::snprintf(stats, sizeof stats, "grabs %u\nwritten %u\nlast_index %u\n", s.grabs,
                  s.framesWritten, s.lastWrittenIndex);
    WriteTextFile(outDir + "\\stats.txt", stats);
    if (!KeepScratchFile(tempAviPath, outDir + "\\recording.avi"))
        return 1;
    return ok && ended ? 0 : 1;
}

int RunCounter(const std::string& outDir)
{
    UseScreenSettings();
    MessageSink sink;
    counterStart = timeGetTime();
    PainterWindow counter(
        "RecordingHostCounter", RECT{kLeft, kTop, kLeft + kWidth, kTop + kHeight}, 5,
        [](HDC mem, const RECT&) { PaintCounter(mem, shownValue); }, CounterChanged);
    MovePointer(screenWidth - 10, screenHeight - 10);  // no cursor in the area
    sink.PumpFor(300);
    captureRect = RECT{kLeft, kTop, kLeft + kWidth - 1, kTop + kHeight - 1};
    const int rc = RecordAndReport(sink, outDir, 3200, [&] {
        sink.PumpFor(2600);
        counterFrozen = true;
        sink.PumpFor(200);
        char ready[128];
        std::snprintf(ready, sizeof ready, "%d %d %d %d %u\n", kLeft, kTop, kWidth, kHeight,
                      shownValue.load());
        WriteTextFile(outDir + "\\ready.txt", ready);
        return WaitForFile(sink, outDir + "\\shot.done", 15000);
    });
    return rc;
}

// Text lines and colour blocks on white; the right half of the lower part stays white
// for the cursor.
void PaintPage(HDC mem, const RECT& client)
{
    FillRect(mem, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int y = 8, n = 0; y < 400; y += 18, ++n) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "%03d  Pack my box with five dozen liquor jugs; the quick brown fox.", n);
        SetTextColor(mem, n % 4 == 0 ? RGB(170, 0, 0) : RGB(0, 0, 0));
        TextOutA(mem, 12, y, text, lstrlenA(text));
    }
    const COLORREF blocks[] = {RGB(220, 60, 60), RGB(60, 170, 80), RGB(60, 80, 220),
                               RGB(240, 210, 60)};
    for (int i = 0; i < 4; ++i) {
        RECT r = {40 + i * 140, 440, 160 + i * 140, 680};
        FillRect(mem, &r, korvane::Brush(CreateSolidBrush(blocks[i])).Get());
    }
}

int RunWide(const std::string& outDir)
{
    UseScreenSettings();
    const int left = 100, top = 80, width = 1280, height = 720;
    if (screenWidth < left + width + 60 || screenHeight < top + height + 60) {
        std::fprintf(stderr, "the desktop %dx%d is too small\n", screenWidth, screenHeight);
        return 2;
    }
    MessageSink sink;
    PainterWindow page("RecordingHostPage", RECT{left, top, left + width, top + height}, 1000,
                       PaintPage, [] { return false; });
    // On a loaded machine the page has reached the screen seconds after its window was
    // made: the recording starts once its red block shows.
    const korvane::WindowDc screen(nullptr);
    sink.PumpUntil(
        [&] { return GetPixel(screen.Get(), left + 100, top + 560) == RGB(220, 60, 60); }, 15000);
    const int px = left + 1000, py = top + 560;
    MovePointer(px, py);
    sink.PumpFor(300);
    // The arrow, as the cursor hook reports it over a window of ours.
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    savedCursor = arrow;
    const korvane::IconParts arrowParts(arrow);
    captureRect = RECT{left, top, left + width - 1, top + height - 1};
    char ready[128];
    std::snprintf(ready, sizeof ready, "%d %d %d %d %d %d %lu %lu\n", left, top, width, height, px,
                  py, arrowParts.info.xHotspot, arrowParts.info.yHotspot);
    return RecordAndReport(sink, outDir, 2000, [&] {
        sink.PumpFor(1000);
        WriteTextFile(outDir + "\\ready.txt", ready);
        return WaitForFile(sink, outDir + "\\shot.done", 15000);
    });
}

int RunNotepad(const std::string& outDir)
{
    UseScreenSettings();
    MessageSink sink;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    char cmd[] = "notepad.exe";
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 2;
    const korvane::KernelHandle process(pi.hProcess), thread(pi.hThread);
    HWND notepad = nullptr;
    HWND edit = nullptr;
    // The frame window appears before its text area: wait for both.
    sink.PumpUntil(
        [&] {
            notepad = FindWindowA("Notepad", nullptr);
            edit = notepad ? FindWindowExA(notepad, nullptr, "Edit", nullptr) : nullptr;
            return edit != nullptr;
        },
        20000);
    int rc = 3;
    if (!edit)
        std::fprintf(stderr, "Notepad's window %p or its text area did not appear\n",
                     static_cast<void*>(notepad));
    if (edit) {
        MoveWindow(notepad, kLeft - 40, kTop - 60, 420, 340, TRUE);
        SetForegroundWindow(notepad);
        sink.PumpFor(500);
        RECT er;
        GetWindowRect(edit, &er);
        const int px = (er.left + er.right) / 2, py = (er.top + er.bottom) / 2;
        MovePointer(px, py);
        sink.PumpFor(500);
        // Notepad's cursor, as the cursor hook reports it: another process's handle.
        CURSORINFO ci = {};
        ci.cbSize = sizeof ci;
        GetCursorInfo(&ci);
        const bool drawable = korvane::IconParts(ci.hCursor).ok;
        savedCursor = ci.hCursor;
        const korvane::IconParts arrowParts(LoadCursor(nullptr, IDC_ARROW));
        const ICONINFO& arrow = arrowParts.info;
        captureRect = RECT{kLeft, kTop, kLeft + kWidth - 1, kTop + kHeight - 1};
        char ready[256];
        std::snprintf(ready, sizeof ready, "%d %d %d %d %d %d %lu %lu %d %ld %ld %ld %ld\n", kLeft,
                      kTop, kWidth, kHeight, px, py, arrow.xHotspot, arrow.yHotspot,
                      drawable ? 1 : 0, er.left, er.top, er.right, er.bottom);
        rc = RecordAndReport(sink, outDir, 1200, [&] {
            WriteTextFile(outDir + "\\ready.txt", ready);
            return WaitForFile(sink, outDir + "\\shot.done", 15000);
        });
    }
    TerminateProcess(pi.hProcess, 0);
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    return RunHostMode(argc, argv, "recording_host", {"counter", "notepad", "wide"},
                       [](const std::string& mode, const std::string& outDir) {
                           if (mode == "counter")
                               return RunCounter(outDir);
                           return mode == "notepad" ? RunNotepad(outDir) : RunWide(outDir);
                       });
}
