#include "util/registry_helpers.h"

TCHAR RegistryStringBuffer[REGISTRY_STRING_CAPACITY];

TCHAR* ReadRegistryString(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName)
{
    HKEY hSubKey;
    DWORD type;
    DWORD size = sizeof(RegistryStringBuffer);
    RegistryStringBuffer[0] = 0;
    if (RegOpenKeyEx(hRootKey, pszSubKey, 0, KEY_QUERY_VALUE, &hSubKey) != ERROR_SUCCESS)
        return RegistryStringBuffer;
    if (RegQueryValueEx(hSubKey, pszValueName, NULL, &type, (LPBYTE)RegistryStringBuffer, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        RegistryStringBuffer[0] = 0;
    } else {
        // The registry returns a string as it was stored, with or without a terminator.  End it
        // after the data; a value that fills the whole buffer leaves no room and is rejected as
        // empty, like a value that is too long.
        DWORD nChars = size / sizeof(TCHAR);
        if (nChars < REGISTRY_STRING_CAPACITY)
            RegistryStringBuffer[nChars] = 0;
        else if (RegistryStringBuffer[REGISTRY_STRING_CAPACITY - 1] != 0)
            RegistryStringBuffer[0] = 0;
    }
    RegCloseKey(hSubKey);
    return RegistryStringBuffer;
}

int WriteRegistryString(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, const TCHAR* pszValue)
{
    int result = 0;
    HKEY hSubKey;
    DWORD disp;
    if (RegCreateKeyEx(hRootKey, pszSubKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL, &hSubKey, &disp) !=
        ERROR_SUCCESS)
        return 0;
    DWORD size = (DWORD)((_tcslen(pszValue) + 1) * sizeof(TCHAR));
    if (RegSetValueEx(hSubKey, pszValueName, 0, REG_SZ, (const BYTE*)pszValue, size) == ERROR_SUCCESS)
        result = 1;
    RegCloseKey(hSubKey);
    return result;
}

DWORD ReadRegistryDword(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName)
{
    HKEY hSubKey;
    DWORD type;
    DWORD value = 0;
    DWORD size = 4;
    if (RegOpenKeyEx(hRootKey, pszSubKey, 0, KEY_QUERY_VALUE, &hSubKey) != ERROR_SUCCESS)
        return 0;
    if (RegQueryValueEx(hSubKey, pszValueName, NULL, &type, (LPBYTE)&value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0;
    RegCloseKey(hSubKey);
    return value;
}

int WriteRegistryDword(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, DWORD dwValue)
{
    int result = 0;
    HKEY hSubKey;
    DWORD disp;
    if (RegCreateKeyEx(hRootKey, pszSubKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_WRITE, NULL, &hSubKey, &disp) !=
        ERROR_SUCCESS)
        return 0;
    if (RegSetValueEx(hSubKey, pszValueName, 0, REG_DWORD, (const BYTE*)&dwValue, 4) == ERROR_SUCCESS)
        result = 1;
    RegCloseKey(hSubKey);
    return result;
}

int WriteRegistryBinary(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, const BYTE* pBlock)
{
    HKEY hSubKey;
    // Opened, not created: the subkey must exist already.
    if (RegOpenKeyEx(hRootKey, pszSubKey, 0, KEY_WRITE, &hSubKey) != ERROR_SUCCESS)
        return 0;
    int result = RegSetValueEx(hSubKey, pszValueName, 0, REG_BINARY, pBlock, REGISTRY_BINARY_SIZE) == ERROR_SUCCESS;
    RegCloseKey(hSubKey);
    return result;
}

int ReadRegistryBinary(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, BYTE* pBlock)
{
    int result = 0;
    HKEY hSubKey;
    DWORD type;
    if (RegOpenKeyEx(hRootKey, pszSubKey, 0, KEY_QUERY_VALUE, &hSubKey) != ERROR_SUCCESS)
        return 0;
    result = 1;
    DWORD size = REGISTRY_BINARY_SIZE;
    if (RegQueryValueEx(hSubKey, pszValueName, NULL, &type, pBlock, &size) != ERROR_SUCCESS || type != REG_BINARY)
        result = 0;
    RegCloseKey(hSubKey);
    return result;
}
