#include "util/text_conversion.h"

#include <stdlib.h>

int AnsiToWide(const char* pszAnsi, wchar_t* pwszWide)
{
    int nChars = MultiByteToWideChar(CP_ACP, 0, pszAnsi, -1, NULL, 0);
    // A failed size query (0) is not a success, whatever the length test says.
    if (nChars == 0 || (unsigned int)nChars > 2)
        return 0;
    MultiByteToWideChar(CP_ACP, 0, pszAnsi, -1, pwszWide, nChars);
    return 1;
}

int WideToOem(const wchar_t* pwszWide, char* pszOem)
{
    int nBytes = WideCharToMultiByte(CP_OEMCP, 0, pwszWide, -1, NULL, 0, NULL, NULL);
    if (nBytes == 0 || (unsigned int)nBytes > 4)
        return 0;
    WideCharToMultiByte(CP_OEMCP, 0, pwszWide, -1, pszOem, 4, NULL, NULL);
    return 1;
}

#ifdef UNICODE

char* TextToNarrow(const TCHAR* pszText)
{
    if (pszText == NULL)
        return NULL;
    size_t nLength = wcslen(pszText);
    char* pszNarrow = (char*)malloc(2 * nLength + 2);
    size_t nBytes = wcstombs(pszNarrow, pszText, 2 * nLength + 1);
    // wcstombs leaves no terminator when it fails or stops at the limit; a text it cannot convert
    // comes back empty rather than half done.
    if (nBytes == (size_t)-1)
        nBytes = 0;
    pszNarrow[nBytes] = '\0';
    return pszNarrow;
}

TCHAR* NarrowToText(const char* pszNarrow)
{
    if (pszNarrow == NULL)
        return NULL;
    size_t nLength = strlen(pszNarrow);
    wchar_t* pwszText = (wchar_t*)malloc((2 * nLength + 2) * sizeof(wchar_t));
    size_t nChars = mbstowcs(pwszText, pszNarrow, nLength + 1);
    // On failure mbstowcs leaves the block unterminated: give an empty text instead.
    if (nChars == (size_t)-1)
        pwszText[0] = L'\0';
    return pwszText;
}

#else

char* TextToNarrow(const TCHAR* pszText)
{
    return (char*)pszText;
}

TCHAR* NarrowToText(const char* pszNarrow)
{
    return (TCHAR*)pszNarrow;
}

#endif

char* DuplicateTextAsNarrow(const TCHAR* pszText)
{
    if (pszText == NULL)
        return NULL;
    TCHAR* pszCopy = (TCHAR*)malloc((_tcslen(pszText) + 1) * sizeof(TCHAR));
    _tcscpy(pszCopy, pszText);
    char* pszNarrow = TextToNarrow(pszCopy);
#ifdef UNICODE
    free(pszCopy);
#endif
    return pszNarrow;
}

TCHAR* DuplicateNarrowAsText(const char* pszNarrow)
{
    if (pszNarrow == NULL)
        return NULL;
    char* pszCopy = (char*)malloc(strlen(pszNarrow) + 1);
    strcpy(pszCopy, pszNarrow);
    TCHAR* pszText = NarrowToText(pszCopy);
#ifdef UNICODE
    free(pszCopy);
#endif
    return pszText;
}
