// Registry accessors: a string, a 32-bit number and a 65536-byte binary block under a subkey of a
// caller's root key.  Failures are reported only through the result; every key opened is closed.
#pragma once

#include "arx/windows_api.h"

#define REGISTRY_STRING_CAPACITY 4096
#define REGISTRY_BINARY_SIZE 0x10000

// Where ReadRegistryString puts what it reads; each call overwrites the previous text.
extern TCHAR RegistryStringBuffer[REGISTRY_STRING_CAPACITY];

// The REG_SZ value, in RegistryStringBuffer.  Empty when the key or value is missing, of another
// type, or too long for the buffer.
TCHAR* ReadRegistryString(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName);

// Stores a REG_SZ value, creating the subkey path as needed.  Returns 1 when stored, else 0.
int WriteRegistryString(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, const TCHAR* pszValue);

// The REG_DWORD value; 0 when it cannot be read.
DWORD ReadRegistryDword(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName);

// Stores a REG_DWORD value, creating the subkey path as needed.  Returns 1 when stored, else 0.
int WriteRegistryDword(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, DWORD dwValue);

// Stores all REGISTRY_BINARY_SIZE bytes of pBlock as a REG_BINARY value under an existing subkey.
// Returns 1 when stored, else 0.
int WriteRegistryBinary(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, const BYTE* pBlock);

// Reads a REG_BINARY value into the front of pBlock (REGISTRY_BINARY_SIZE bytes); the rest is left
// as it was.  Returns 1 when read, else 0.
int ReadRegistryBinary(HKEY hRootKey, const TCHAR* pszSubKey, const TCHAR* pszValueName, BYTE* pBlock);
