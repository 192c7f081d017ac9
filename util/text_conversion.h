// Narrow/wide text conversions.  Narrow text is in the ANSI code page (or the C runtime's locale for
// the runtime conversions); TCHAR text is narrow or wide as the build is.
//
// Blocks returned as "new" are allocated with malloc; the caller releases them with free().
#pragma once

#include "arx/windows_api.h"

// Converts a text of at most one character from the ANSI code page into a buffer of 2 wide
// characters.  Returns 1 when converted, 0 when the text is too long or cannot be converted.
int AnsiToWide(const char* pszAnsi, wchar_t* pwszWide);

// Converts a wide text of at most 3 bytes into the OEM code page, into a buffer of 4 bytes.
// Returns 1 when converted, 0 when the text is too long or cannot be converted.
int WideToOem(const wchar_t* pwszWide, char* pszOem);

// Text as narrow text.  Narrow builds return the argument itself; wide builds return a new block
// converted by wcstombs in the C runtime's locale.  Null for null.
char* TextToNarrow(const TCHAR* pszText);

// Narrow text as text.  Narrow builds return the argument itself; wide builds return a new block
// converted by mbstowcs in the C runtime's locale.  Null for null.
TCHAR* NarrowToText(const char* pszNarrow);

// A new narrow copy of a text; null for null.
char* DuplicateTextAsNarrow(const TCHAR* pszText);

// A new text copy of a narrow text; null for null.
TCHAR* DuplicateNarrowAsText(const char* pszNarrow);
