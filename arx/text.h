// Generic text: one plug-in source serves the narrow (R16, ANSI code page) and the wide (R17) builds.
// On Windows the C runtime's <tchar.h> supplies these names; elsewhere the emulated host does.
#pragma once

#include <stddef.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#if defined(_WIN32)
#include <tchar.h>
#include <mbctype.h>
#include <mbstring.h>
#if defined(_MBCS) && defined(__cplusplus) && defined(__MINGW32__)
// mingw's <tchar.h> maps these straight to the unsigned char _mbs* functions; MSVC's takes char, as
// the plug-in's TCHAR text is, and casts.  These give the MSVC signatures.
#undef _tcscmp
#undef _tcsicmp
#undef _tcsstr
inline int _tcscmp(const char* a, const char* b)
{
    return _mbscmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b));
}
inline int _tcsicmp(const char* a, const char* b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b));
}
inline char* _tcsstr(const char* str, const char* sub)
{
    return reinterpret_cast<char*>(const_cast<unsigned char*>(
        _mbsstr(reinterpret_cast<const unsigned char*>(str), reinterpret_cast<const unsigned char*>(sub))));
}
#endif
#else

#if defined(UNICODE)
typedef wchar_t TCHAR;
typedef wchar_t _TUCHAR;
#define __T(x) L##x
#define _tcslen wcslen
#define _tcscpy wcscpy
#define _tcscmp wcscmp
#define _tcsicmp _wcsicmp
#define _tcsstr wcsstr
#define _tcsdup _wcsdup
#define _totupper towupper
#define _istlead(c) (0)
#else
typedef char TCHAR;
typedef unsigned char _TUCHAR;
#define __T(x) x
#define _tcslen strlen
#define _tcscpy strcpy
#define _tcscmp strcmp
#define _tcsicmp(a, b) _mbsicmp((const unsigned char*)(a), (const unsigned char*)(b))
#define _tcsstr(a, b) ((char*)_mbsstr((const unsigned char*)(a), (const unsigned char*)(b)))
#define _tcsdup _strdup
#define _totupper _mbctoupper
#define _istlead _ismbblead
#endif
#define _T(x) __T(x)
#define _TEXT(x) __T(x)

// The C runtime's text functions that Windows has and Linux lacks under these names; the emulated
// host provides them, honouring the lead bytes of the ANSI code page in the multibyte ones.
#ifdef __cplusplus
extern "C" {
#endif
int _mbsicmp(const unsigned char* a, const unsigned char* b);
unsigned char* _mbsstr(const unsigned char* str, const unsigned char* sub);
unsigned int _mbctoupper(unsigned int c);
// Nonzero when c is the lead byte of a double-byte character.
int _ismbblead(unsigned int c);
int _wcsicmp(const wchar_t* a, const wchar_t* b);
char* _strdup(const char* s);
wchar_t* _wcsdup(const wchar_t* s);
#ifdef __cplusplus
}
#endif

#endif  // !_WIN32

// The host's own name for a character of its width, unless the vendor SDK's headers gave it already.
#if !defined(ACRX_T)
typedef TCHAR ACHAR;
#define ACRX_T(x) _T(x)
#endif
