// A skin library that reports from inside the player's process, for the player's
// end-to-end test: Wine keeps menus per process, so another program cannot read the
// frame's menu. It logs every skin call to "skin-calls.txt" beside itself and, once a
// skin part is applied to a window, rewrites "menu.txt" there every 50 ms with the
// first popup's items (id, greyed 1/0, text), read on a thread of its own. Same
// ordinals as the real library.
#include "kernel_owners.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HMODULE g_module = nullptr;

std::string BesideMe(const char* name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(g_module, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

void Log(const std::string& line)
{
    if (FILE* f = std::fopen(BesideMe("skin-calls.txt").c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

DWORD WINAPI WatchMenu(void* param)
{
    HWND hwnd = static_cast<HWND>(param);
    const std::string target = BesideMe("menu.txt"), scratch = BesideMe("menu.tmp");
    while (IsWindow(hwnd)) {
        std::string text;
        HMENU popup = GetSubMenu(GetMenu(hwnd), 0);
        for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
            char item[128] = "", line[200];
            GetMenuStringA(popup, i, item, sizeof item, MF_BYPOSITION);
            std::snprintf(line, sizeof line, "%d\t%d\t%s\n",
                          static_cast<int>(GetMenuItemID(popup, i)),
                          (GetMenuState(popup, i, MF_BYPOSITION) & MF_GRAYED) ? 1 : 0, item);
            text += line;
        }
        if (FILE* f = std::fopen(scratch.c_str(), "w")) {
            std::fputs(text.c_str(), f);
            std::fclose(f);
            MoveFileExA(scratch.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        Sleep(50);
    }
    return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

extern "C" {
int __stdcall SkinInitialize(HINSTANCE instance, const char*, const char*, DWORD)
{
    Log(instance == GetModuleHandleA(nullptr) ? "init program" : "init other");
    return 1;
}
int __stdcall SkinExit()
{
    Log("exit");
    return 1;
}
int __stdcall SkinLoadFile(const char* path)
{
    Log(std::string("load ") + path);
    return 1;
}
int __stdcall SkinApplyToWindow(HWND hwnd, const char* part)
{
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    Log(std::string("apply ") + cls + " " + part);
    // Not waited for: the watcher ends with the menu it watches.
    korvane::KernelHandle(CreateThread(nullptr, 0, WatchMenu, hwnd, 0, nullptr));
    return 1;
}
int __stdcall SkinSetDialogScheme(const char* scheme)
{
    Log(std::string("scheme ") + scheme);
    return 1;
}
int __stdcall SkinQueryState(char*, char*, int) { return 0; }
}
