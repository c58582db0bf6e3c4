// Text between the programs' "A" calls and the system's wide ones. The programs keep
// text in the process's ANSI code page, which their manifests set to UTF-8 (Windows 10
// 1903 and later, Wine 8); on an older system it is the system's own, and these stay
// right there too. Any thread.
#pragma once
#include <windows.h>

#include <string>

namespace korvane {

std::string AnsiFromWide(const wchar_t* text);
std::wstring WideFromAnsi(const std::string& text);

// The full path of `module` (null: the program), however long.
std::string ModuleFileName(HMODULE module);

// The environment variable `name`; empty when it is not set.
std::string EnvironmentValue(const char* name);

// A shell folder (CSIDL_...) as a path in the ANSI code page; with `create`, made if
// missing. Empty when the system has none.
std::string ShellFolderPath(int csidl, bool create);

// Text written by an earlier version in the system's ANSI code page, as this process
// reads text: unchanged when it is valid in the process's code page already.
std::string AnsiFromLegacyText(const std::string& text);

}  // namespace korvane
