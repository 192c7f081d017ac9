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

// True when the name is known to be something other than a regular file.  Opening a pipe would
// wait for a writer and reading a device may never end, so this is asked before the file is opened.
// A name that this lookup cannot resolve is left to the open that follows.
bool IsNotRegularFile(const char* pszFileName)
{
    try {
        std::error_code ec;
        const std::filesystem::file_status status = std::filesystem::status(pszFileName, ec);
        return !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
    } catch (...) {
        // A name the standard library cannot convert: the open decides.
        return false;
    }
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
    if (pszFileName == nullptr || pszDigest == nullptr || IsNotRegularFile(pszFileName))
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
