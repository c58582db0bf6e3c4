// The skin library stand-in. It keeps the skin path, whether the file is a valid skin,
// and the dialog scheme, and draws nothing itself: the windows keep the system's look,
// so a missing or invalid skin file changes nothing. UI thread only.
#include "skin_api.h"
#include "skin_file.h"

#include "kernel_owners.h"

#include <string>
#include <vector>

namespace {

struct SkinState {
    HINSTANCE instance = nullptr;
    std::string path;
    std::string scheme;
    bool loaded = false;
};

SkinState state;

bool ReadSkinFile(const char* path)
{
    const korvane::KernelHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    std::vector<char> head(korvane::kSkinHeadBytes);
    DWORD got = 0;
    const BOOL ok =
        ReadFile(file.Get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
    return ok && korvane::IsValidSkinText(head.data(), got);
}

void CopyOut(char* buffer, int size, const std::string& text)
{
    if (!buffer || size <= 0)
        return;
    std::size_t n = text.size() < static_cast<std::size_t>(size - 1) ? text.size() : size - 1;
    text.copy(buffer, n);
    buffer[n] = '\0';
}

}  // namespace

extern "C" {

int __stdcall SkinInitialize(HINSTANCE instance, const char*, const char*, DWORD)
{
    state = SkinState{};
    state.instance = instance;
    return 1;
}

int __stdcall SkinExit()
{
    state = SkinState{};
    return 1;
}

int __stdcall SkinLoadFile(const char* path)
{
    state.path = path ? path : "";
    state.loaded = path && ReadSkinFile(path);
    return state.loaded ? 1 : 0;
}

int __stdcall SkinApplyToWindow(HWND window, const char* partName)
{
    return state.loaded && IsWindow(window) && partName ? 1 : 0;
}

int __stdcall SkinSetDialogScheme(const char* schemeName)
{
    state.scheme = schemeName ? schemeName : "";
    return state.loaded ? 1 : 0;
}

int __stdcall SkinQueryState(char* path, char* scheme, int size)
{
    CopyOut(path, size, state.path);
    CopyOut(scheme, size, state.scheme);
    return state.loaded ? 1 : 0;
}

}  // extern "C"
