#pragma once
// Windows has no iconv: the few calls the text codec makes, over the Windows code pages. Converts only
// between UTF-8 and one code page, as the codec does; errors as iconv reports them (EILSEQ, EINVAL,
// E2BIG), with *in left at the offending character.

#ifdef _WIN32
#include <cstddef>

namespace vrk::dxf {

struct WinIconv;
using iconv_t = WinIconv*;

iconv_t iconv_open(const char* to, const char* from);
std::size_t iconv(iconv_t cd, char** in, std::size_t* inLeft, char** out, std::size_t* outLeft);
int iconv_close(iconv_t cd);

}  // namespace vrk::dxf
#endif
