// pe_resources_probe.exe VERSION DIR...: reads back the version record of every program
// and DLL we ship in each DIR (either bitness: they are opened as data), and the manifest
// of both programs. Prints one line per check; the exit code is the number of failures.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what)
{
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    if (!ok)
        ++failures;
}

// Unix paths from the test scripts reach the Windows side through drive Z:.
std::string WindowsPath(const std::string& path)
{
    return !path.empty() && path[0] == '/' ? "Z:" + path : path;
}

std::string VersionText(const std::vector<char>& record, const char* name)
{
    char* text = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(record.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) ||
        !text)
        return {};
    return std::string(text, length > 0 ? length - 1 : 0);
}

void CheckVersion(const std::string& file, const std::string& version)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    Check(size > 0, file + ": has a version record");
    if (size == 0)
        return;
    std::vector<char> record(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, record.data()))
        return Check(false, file + ": version record readable");
    Check(VersionText(record, "ProductName") == "Korvane", file + ": product name Korvane");
    Check(!VersionText(record, "FileDescription").empty(), file + ": a file description");
    Check(VersionText(record, "FileVersion") == version, file + ": file version " + version);
    Check(VersionText(record, "ProductVersion") == version, file + ": product version " + version);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                      LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
        Check(numbers == version, file + ": fixed file version " + numbers);
    } else {
        Check(false, file + ": fixed file version");
    }
}

void CheckManifest(const std::string& file)
{
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return Check(false, file + ": opened as data");
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    std::string text;
    if (resource) {
        HGLOBAL loaded = LoadResource(module, resource);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        if (bytes)
            text.assign(bytes, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    Check(!text.empty(), file + ": manifest present");
    const struct {
        const char* needle;
        const char* what;
    } wanted[] = {
        {"Microsoft.Windows.Common-Controls", "common controls"},
        {"version=\"6.0.0.0\"", "version 6"},
        {"PerMonitorV2", "per-monitor DPI awareness (v2)"},
        {"true/pm", "per-monitor DPI awareness"},
        {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "supported OS up to Windows 10 and 11"},
        {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "supported OS from Vista"},
        {">UTF-8</activeCodePage>", "the UTF-8 code page"},
    };
    for (const auto& w : wanted)
        Check(text.find(w.needle) != std::string::npos, file + ": manifest names " + w.what);
}

// The player's accented text as the resource compiler stored it: a source read in the
// wrong code page gives other characters, which no code page of the program can mend.
void CheckPlayerText(const std::string& file)
{
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return Check(false, file + ": opened as data");
    wchar_t text[128] = {};
    LoadStringW(module, 1001, text, 128);
    FreeLibrary(module);
    Check(std::wstring(text) == L"El video para la versi\u00f3n de Windows es demasiado viejo",
          file + ": string 1001 holds the accented o");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: pe_resources_probe VERSION DIR...\n");
        return 2;
    }
    const std::string version = argv[1];
    const char* const programs[] = {"korvane.exe", "reelpane.exe"};
    const char* const libraries[] = {"hook.dll", "hookkey.dll", "SkinMagic.dll", "kvmsvc.dll"};
    for (int i = 2; i < argc; ++i) {
        const std::string dir = WindowsPath(argv[i]) + "\\";
        for (const char* name : programs) {
            CheckVersion(dir + name, version);
            CheckManifest(dir + name);
        }
        CheckPlayerText(dir + "reelpane.exe");
        for (const char* name : libraries)
            CheckVersion(dir + name, version);
    }
    return failures;
}
