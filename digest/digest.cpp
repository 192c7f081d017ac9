#include "digest/digest.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

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

bool HasNonAsciiByte(const char* pszText)
{
    for (; *pszText != '\0'; ++pszText)
        if (static_cast<unsigned char>(*pszText) >= 0x80)
            return true;
    return false;
}

// Whether the name may be opened for a digest: a regular file, not a folder, a device or a pipe
// (opening a pipe waits for a writer, reading a device may never end), so this is asked before the
// file is opened.  The standard library may read a narrow name in another encoding than the ANSI
// code page that the file functions use; a name it cannot find that holds non-ASCII bytes is left
// to the open.  Device and pipe names are ASCII, so they are always looked up here.
bool MayDigestFile(const char* pszFileName)
{
    std::error_code ec;
    std::filesystem::file_status status;
    try {
        status = std::filesystem::status(pszFileName, ec);
    } catch (...) {
        // A name the standard library cannot convert.
        return HasNonAsciiByte(pszFileName);
    }
    if (!ec && std::filesystem::exists(status))
        return std::filesystem::is_regular_file(status);
    return HasNonAsciiByte(pszFileName);
}

}  // namespace

int DigestText(const char* pszText, char* pszDigest)
{
    if (pszText == nullptr)
        return 0;
    return DigestBuffer(pszText, std::strlen(pszText), pszDigest);
}

int DigestBuffer(const void* pBuffer, std::size_t nLength, char* pszDigest)
{
    if (pBuffer == nullptr || pszDigest == nullptr)
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
    if (pszFileName == nullptr || pszDigest == nullptr || !MayDigestFile(pszFileName))
        return 0;
    std::vector<unsigned char> chunk(kFileChunkSize);
    std::FILE* pFile = std::fopen(pszFileName, "rb");
    if (pFile == nullptr)
        return 0;

    MD5Context context;
    InitMD5Context(context);
    std::size_t nRead;
    while ((nRead = std::fread(chunk.data(), 1, chunk.size(), pFile)) > 0)
        UpdateMD5Context(context, chunk.data(), nRead);
    // A read that stopped on an error (a folder opened as a file, an I/O error) is no digest.
    const bool bFailed = std::ferror(pFile) != 0;
    std::fclose(pFile);
    if (bFailed)
        return 0;

    unsigned char digest[16];
    FinishMD5Context(context, digest);
    WriteHexDigest(digest, pszDigest);
    return 1;
}
