// WindowBase: the one window procedure of our windows. It finds the C++ object from
// WM_NCCREATE's create parameters, keeps it in GWLP_USERDATA and forwards every message
// to the virtual HandleMessage, which each window writes as a plain switch.
// Use from the thread that creates the window; the object must outlive the window.
#pragma once
#include <windows.h>

class WindowBase {
public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase() = default;

    HWND Hwnd() const { return m_hwnd; }

    // Registers `className` once per process (with our procedure) and creates the window.
    // Returns false when the class cannot be registered or the window not created.
    bool Create(const char* className, UINT classStyle, HCURSOR cursor, HICON icon, DWORD exStyle,
                const char* title, DWORD style, int x, int y, int width, int height, HWND parent);

    // Registers a class the caller describes in full (menu, background...); only the
    // procedure is ours. Create then finds the class and uses it as it is.
    static bool RegisterWindowClass(WNDCLASSA wc);

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};
