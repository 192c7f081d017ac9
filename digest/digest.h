// MD5 digests (RFC 1321) of a text, a byte buffer and a file, written as 32 lower-case hexadecimal
// characters and a terminating null into pszDigest, which holds DIGEST_TEXT_SIZE characters.
//
// Each answers 1 when the digest was written, 0 when it was not; on 0 pszDigest is left as it was.
#pragma once

#include <cstddef>

#define DIGEST_TEXT_SIZE 33

// The digest of the bytes of a null-terminated narrow text (in the ANSI code page), without the
// terminating null.  0 when pszText or pszDigest is null.
int DigestText(const char* pszText, char* pszDigest);

// The digest of nLength bytes at pBuffer; the bytes may include zeros.  0 when pBuffer or pszDigest
// is null.
int DigestBuffer(const void* pBuffer, std::size_t nLength, char* pszDigest);

// The digest of the contents of the regular file named by the narrow path pszFileName, read in
// pieces, so files of any size are digested in little memory.  0 when either pointer is null or the
// file is missing, unreadable, not a regular file (a folder, a device, a pipe) or fails while read.
int DigestFile(const char* pszFileName, char* pszDigest);
