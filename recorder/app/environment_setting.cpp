// Settings from the process environment.
#include "environment_setting.h"

#include <windows.h>

std::string EnvironmentSetting(const char* name)
{
    char value[32] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value) : std::string();
}
