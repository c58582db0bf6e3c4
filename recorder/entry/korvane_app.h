// CKorvaneApp: start-up and shutdown of the recorder process around its one modal main
// window. UI thread (the process's first thread) only.
#pragma once
#include <windows.h>

class CKorvaneApp {
public:
    virtual ~CKorvaneApp() = default;
    // Runs the main window; always FALSE, since the process has no loop of its own after it.
    virtual BOOL InitInstance();
    // Ends the skin library; the result is the process exit code.
    virtual int ExitInstance();
};

extern CKorvaneApp theApp;
