#include "digest/digest.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "digest/md5.h"

namespace {

const std::size_t kFileChunkSize = 64 * 1024;

void WriteHexDigest(const unsigned char digest[16], char* pszDigest)
{
    static const char kHexDigits[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        pszDigest[2 * i] = kHexDigits[digest[i] >> 4];
        pszDigest[2 * i + 1] = kHexDigits[digest[i] & 0x0f];
    }
    pszDigest[32] = '\0';
}

// Whether the name is that of a regular file, not a folder, a device or a pipe (opening a pipe waits
// for a writer, reading a device may never end), so this is asked before the file is opened.  The C
// runtime reads a narrow name as fopen does (in the ANSI code page on Windows).
bool IsRegularFile(const char* pszFileName)
{
#if defined(_WIN32)
    struct _stati64 status;
    return _stati64(pszFileName, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat status;
    return stat(pszFileName, &status) == 0 && S_ISREG(status.st_mode);
#endif
}

}  // namespace

int DigestText(const char* pszText, char* pszDigest)
{
    if (pszText == NULL)
        return 0;
    return DigestBuffer(pszText, std::strlen(pszText), pszDigest);
}

int DigestBuffer(const void* pBuffer, std::size_t nLength, char* pszDigest)
{
    if (pBuffer == NULL || pszDigest == NULL)
        return 0;
    MD5Context context;
    InitMD5Context(context);
    UpdateMD5Context(context, static_cast<const unsigned char*>(pBuffer), nLength);
    unsigned char digest[16];
    FinishMD5Context(context, digest);
    WriteHexDigest(digest, pszDigest);
    return 1;
}

int DigestFile(const char* pszFileName, char* pszDigest)
{
    if (pszFileName == NULL || pszDigest == NULL || !IsRegularFile(pszFileName))
        return 0;
    // Memory that runs short is no digest either, answered as the other failures, never thrown.
    unsigned char* pChunk = static_cast<unsigned char*>(std::malloc(kFileChunkSize));
    if (pChunk == NULL)
        return 0;
    std::FILE* pFile = std::fopen(pszFileName, "rb");
    if (pFile == NULL) {
        std::free(pChunk);
        return 0;
    }

    MD5Context context;
    InitMD5Context(context);
    std::size_t nRead;
    while ((nRead = std::fread(pChunk, 1, kFileChunkSize, pFile)) > 0)
        UpdateMD5Context(context, pChunk, nRead);
    // A read that stopped on an error (a folder opened as a file, an I/O error) is no digest.
    const bool bFailed = std::ferror(pFile) != 0;
    std::fclose(pFile);
    std::free(pChunk);
    if (bFailed)
        return 0;

    unsigned char digest[16];
    FinishMD5Context(context, digest);
    WriteHexDigest(digest, pszDigest);
    return 1;
}
