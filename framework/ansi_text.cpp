// Conversions between the ANSI code page and UTF-16 (see ansi_text.h). Any thread.
#include "ansi_text.h"

#include "utf8_text.h"

#include <shlobj.h>

#include <vector>

namespace korvane {

namespace {

std::string FromWide(UINT codePage, const wchar_t* text, int length)
{
    const int size = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text, length, &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring ToWide(UINT codePage, const std::string& text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, &out[0], size);
    return out;
}

}  // namespace

std::string AnsiFromWide(const wchar_t* text)
{
    if (!text || !*text)
        return {};
    return FromWide(CP_ACP, text, static_cast<int>(wcslen(text)));
}

std::wstring WideFromAnsi(const std::string& text) { return ToWide(CP_ACP, text); }

// The wide calls below, because Wine 8's "A" forms of them measure a UTF-8 answer in
// characters, not bytes, and cut it short.

std::string ModuleFileName(HMODULE module)
{
    // The call cuts the path to the buffer and says so only by filling it.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return FromWide(CP_ACP, buffer.data(), static_cast<int>(length));
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string EnvironmentValue(const char* name)
{
    const std::wstring wideName = WideFromAnsi(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::vector<wchar_t> value(size);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    return length > 0 && length < size ? FromWide(CP_ACP, value.data(), static_cast<int>(length))
                                       : std::string();
}

std::string ShellFolderPath(int csidl, bool create)
{
    // The wide call: the "A" one fails when the path's UTF-8 form passes MAX_PATH bytes.
    wchar_t path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr,
                         SHGFP_TYPE_CURRENT, path) != S_OK)
        return {};
    return AnsiFromWide(path);
}

std::string AnsiFromLegacyText(const std::string& text)
{
    if (GetACP() != CP_UTF8 || IsUtf8(text))
        return text;
    UINT systemCodePage = 0;
    if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<char*>(&systemCodePage), sizeof systemCodePage) == 0 ||
        systemCodePage == 0 || systemCodePage == CP_UTF8)
        return text;
    const std::wstring wide = ToWide(systemCodePage, text);
    return wide.empty() ? text : FromWide(CP_UTF8, wide.data(), static_cast<int>(wide.size()));
}

}  // namespace korvane
