// The recording harness of the tests and benches (see recording_support.h). Test thread,
// apart from the painter window's own thread.
#include "recording_support.h"

#include <algorithm>
#include <fstream>

// ---- MessageSink --------------------------------------------------------------------

MessageSink::MessageSink()
{
    RegisterAppMessages();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RecordingTestSink";
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA(0, wc.lpszClassName, "sink", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    mainWindow = m_hwnd;
}

MessageSink::~MessageSink()
{
    mainWindow = nullptr;
    DestroyWindow(m_hwnd);
}

bool MessageSink::Ended() const
{
    for (const std::string& m : received)
        if (m == "WM_USER_GENERIC_MSG" || m == "WM_USER_RECORDINTERRUPTED_MSG")
            return true;
    return false;
}

std::string MessageSink::ReceivedLines() const
{
    std::string lines;
    for (const std::string& m : received)
        lines += m + "\n";
    return lines;
}

bool MessageSink::Record(const std::function<void()>& during)
{
    isRecording = 1;
    std::thread worker(RecordingThreadMain, nullptr);
    during();
    isRecording = 0;
    const bool ended = PumpUntil([&] { return Ended(); }, 20000);
    worker.join();
    // As the finish does: the recording's description goes with it.
    korvane::ForgetRecordingPart(tempAviPath);
    return ended;
}

LRESULT CALLBACK MessageSink::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // The microphone's buffers come here as they come to the main window.
    if (msg == MM_WIM_DATA)
        return OnWaveInData(wp, lp);
    auto* self = reinterpret_cast<MessageSink*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) {
        if (msg == WM_USER_GENERIC_MSG)
            self->received.push_back("WM_USER_GENERIC_MSG");
        else if (msg == WM_USER_RECORDINTERRUPTED_MSG)
            self->received.push_back("WM_USER_RECORDINTERRUPTED_MSG");
        else if (msg == WM_USER_RECORDSTART_MSG)
            self->received.push_back("WM_USER_RECORDSTART_MSG");
        else if (msg == WM_PAINT)
            ++self->repaints;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// ---- PainterWindow ------------------------------------------------------------------

PainterWindow::PainterWindow(const char* className, const RECT& area, UINT timerMs, Paint paint,
                             std::function<bool()> changed)
    : m_paint(std::move(paint)), m_changed(std::move(changed))
{
    m_thread = std::thread([=] { Run(className, area, timerMs); });
    while (!m_hwnd)
        testpump::PumpFor(10);
}

PainterWindow::~PainterWindow()
{
    m_stop = true;
    m_thread.join();
}

void PainterWindow::Run(const char* className, RECT area, UINT timerMs)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, className, WS_POPUP,
                                area.left, area.top, area.right - area.left, area.bottom - area.top,
                                nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    SetTimer(hwnd, 1, timerMs, nullptr);
    m_hwnd = hwnd;
    MSG msg;
    while (!m_stop) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    DestroyWindow(hwnd);
}

void PainterWindow::PaintBuffered(HWND hwnd, HDC hdc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    const korvane::MemoryDc mem(hdc);
    const korvane::Bitmap bmp(CreateCompatibleBitmap(hdc, client.right, client.bottom));
    const korvane::SelectGuard selected(mem.Get(), bmp.Get());
    m_paint(mem.Get(), client);
    // In bands, as the recorder grabs: on Wine one large copy to the screen would take
    // a slow path and hold up the X server, and with it every grab.
    const int bandRows = ScreenCopyBandRows(static_cast<size_t>(client.right) * 4, client.bottom);
    for (int y = 0; y < client.bottom; y += bandRows)
        BitBlt(hdc, 0, y, client.right, std::min<int>(bandRows, client.bottom - y), mem.Get(), 0, y,
               SRCCOPY);
}

LRESULT CALLBACK PainterWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<PainterWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_TIMER) {
        if (self->m_changed())
            self->PaintBuffered(hwnd, korvane::WindowDc(hwnd).Get());
        return 0;
    }
    if (self && msg == WM_PAINT) {
        self->PaintBuffered(hwnd, korvane::PaintDc(hwnd).Get());
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// ---- Files, settings and the pointer ------------------------------------------------

void WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool KeepScratchFile(const std::string& from, const std::string& to)
{
    const bool kept = CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
    if (!kept)
        std::fprintf(stderr, "no file at %s\n", from.c_str());
    DeleteFileA(from.c_str());
    return kept;
}

void UseScreenSettings()
{
    settings = RecordingSettings();
    settings.captureBitsPerPixel = MeasureScreen();
}

bool MovePointer(int x, int y)
{
    int steady = 0;
    for (int i = 0; i < 200 && steady < 5; ++i) {
        if (i % 20 == 0)
            SetCursorPos(x, y);
        MessageSink::Pump();
        Sleep(10);
        POINT p = {};
        GetCursorPos(&p);
        steady = (p.x == x && p.y == y) ? steady + 1 : 0;
    }
    return steady >= 5;
}
