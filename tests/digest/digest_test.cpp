// The digest utility against RFC 1321's test suite, the padding edges, md5sum and bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "digest/digest.h"
#include "arx/windows_api.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include "emulator/win/win_control.h"
#endif

namespace {

const char kUntouched[DIGEST_TEXT_SIZE] = "untouched-output-untouched-outpu";

std::vector<unsigned char> PatternBytes(std::size_t nLength) {
    std::vector<unsigned char> bytes(nLength);
    for (std::size_t i = 0; i < nLength; ++i) bytes[i] = static_cast<unsigned char>(i * 31 + 7);
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// md5sum's digest of a file; empty where md5sum is not on the machine.
std::string Md5sumOf(const std::string& path) {
#if defined(_WIN32)
    (void)path;
    return "";
#else
    const vrk::test::ProgramResult result = vrk::test::runProgram(std::vector<std::string>{"md5sum", path});
    if (result.status != 0) return "";
    return result.out.substr(0, 32);
#endif
}

std::string DigestOfFile(const std::string& path) {
    char szDigest[DIGEST_TEXT_SIZE];
    return DigestFile(path.c_str(), szDigest) == 1 ? szDigest : "failed";
}

}  // namespace

TEST(DigestTest, TextsOfRfc1321TestSuite) {
    const struct {
        const char* text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        char szDigest[DIGEST_TEXT_SIZE];
        ASSERT_EQ(DigestText(c.text, szDigest), 1) << c.text;
        EXPECT_STREQ(szDigest, c.digest) << '"' << c.text << '"';
    }
}

// Lengths on either side of where the padding needs a second block, and a long buffer.  The
// expected digests come from another implementation; md5sum checks the longer ones again.
TEST(DigestTest, BuffersAtThePaddingEdges) {
    const struct {
        std::size_t nLength;
        const char* digest;
    } cases[] = {
        {0, "d41d8cd98f00b204e9800998ecf8427e"},       {1, "89e74e640b8c46257a29de0616794d5d"},
        {55, "c9e512626618c9980ef21a96597af94c"},      {56, "ecde7caa08e9f5657c863df107cac60a"},
        {57, "b17b1a018dd6a4d1edda8aca15f17846"},      {63, "2f0301069e1c40af7f6c8f843b1b13f2"},
        {64, "b6bf87c24b1bc334e2541387a92b981b"},      {65, "f168246f08b6134d66bd2a10343fa9f1"},
        {119, "d5dc3d8264de3aa24dee105910ee27fe"},     {120, "bcc139b3848923904860d1eefd6e5923"},
        {1000000, "c9bd641122080114548d4af2a41a7e11"},
    };
    vrk::test::TempFolder folder;
    for (const auto& c : cases) {
        const std::vector<unsigned char> bytes = PatternBytes(c.nLength);
        // An empty vector may hold no buffer at all; a null buffer is refused.
        const void* pBytes = bytes.empty() ? static_cast<const void*>("") : bytes.data();
        char szDigest[DIGEST_TEXT_SIZE];
        ASSERT_EQ(DigestBuffer(pBytes, bytes.size(), szDigest), 1) << c.nLength;
        EXPECT_STREQ(szDigest, c.digest) << c.nLength << " bytes";
        if (c.nLength >= 55) {
            const std::string path = folder.file("bytes");
            WriteFile(path, bytes);
            const std::string md5sum = Md5sumOf(path);
            if (!md5sum.empty()) {
                EXPECT_EQ(md5sum, szDigest) << c.nLength << " bytes, md5sum";
            }
            EXPECT_EQ(DigestOfFile(path), szDigest) << c.nLength << " bytes as a file";
        }
    }
}

TEST(DigestTest, BufferDigestsTheZeroBytesThatEndAText) {
    const char bytes[] = {'a', 'b', '\0', 'c', 'd', '\0'};
    char szDigest[DIGEST_TEXT_SIZE];
    ASSERT_EQ(DigestBuffer(bytes, sizeof(bytes), szDigest), 1);
    EXPECT_STREQ(szDigest, "570c3ca4345a76966b23a0c2b9b00693");
    ASSERT_EQ(DigestText(bytes, szDigest), 1);
    EXPECT_STREQ(szDigest, "187ef4436122d1cc2f40dc2b92f0eba0");  // "ab"
}

// A narrow text is in the ANSI code page: "Größe" is 5 bytes in code page 1252, not its UTF-8 form.
TEST(DigestTest, NonAsciiTextDigestsItsAnsiBytes) {
#if !defined(_WIN32)
    vrk::win::setSystemLcid(1033);
#endif
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << GetACP() << ", not 1252";
    char szAnsi[16] = "";
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, L"Gr\u00f6\u00dfe", -1, szAnsi, sizeof(szAnsi), nullptr, nullptr), 0);
    ASSERT_STREQ(szAnsi,
                 "Gr\xf6\xdf"
                 "e");
    char szDigest[DIGEST_TEXT_SIZE];
    ASSERT_EQ(DigestText(szAnsi, szDigest), 1);
    EXPECT_STREQ(szDigest, "e682e5d097523765cde5e59df6139363");
#if !defined(_WIN32)
    vrk::win::clearSystemLcid();
#endif
}

TEST(DigestTest, FileOfSeveralMegabytesMatchesMd5sum) {
    vrk::test::TempFolder folder;
    const std::string path = folder.file("several-mb.bin");
    std::vector<unsigned char> bytes = PatternBytes(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < bytes.size(); i += 4099) bytes[i] ^= static_cast<unsigned char>(i >> 12);
    WriteFile(path, bytes);
    char szBuffer[DIGEST_TEXT_SIZE];
    ASSERT_EQ(DigestBuffer(bytes.data(), bytes.size(), szBuffer), 1);
    EXPECT_EQ(DigestOfFile(path), szBuffer);
    const std::string md5sum = Md5sumOf(path);
    if (md5sum.empty()) GTEST_SKIP() << "no md5sum on this machine";
    EXPECT_EQ(md5sum, szBuffer);
}

TEST(DigestTest, EmptyFileHasTheDigestOfTheEmptyMessage) {
    vrk::test::TempFolder folder;
    WriteFile(folder.file("empty"), {});
    EXPECT_EQ(DigestOfFile(folder.file("empty")), "d41d8cd98f00b204e9800998ecf8427e");
}

// The length is counted in 64 bits: past 4 GiB a 32-bit count would wrap and pad wrongly.  Reading a
// sparse file of 4 GiB takes most of a minute on a shared machine, so it runs only when asked for
// (VRK_LONG_TESTS=1), on Linux.
TEST(DigestTest, FilePast4GiB) {
#if defined(_WIN32)
    GTEST_SKIP() << "only on Linux, where a sparse file costs no disk";
#else
    const char* pszLong = std::getenv("VRK_LONG_TESTS");
    if (pszLong == nullptr || std::string(pszLong) != "1") GTEST_SKIP() << "set VRK_LONG_TESTS=1 to run it";
    vrk::test::TempFolder folder;
    const std::string path = folder.file("past-4gib.bin");
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(std::streamoff(1) << 32);
        out << "past 4 GiB";
        if (!out) GTEST_SKIP() << "no room for a sparse file of 4 GiB here";
    }
    EXPECT_EQ(DigestOfFile(path), "4aa9a3582ea74af695ed0020d39e028e");
#endif
}

TEST(DigestTest, BadInputAnswersZeroAndLeavesTheOutputAlone) {
    vrk::test::TempFolder folder;
    WriteFile(folder.file("present"), PatternBytes(10));
    auto check = [](const char* what, int result, const char* szOutput) {
        EXPECT_EQ(result, 0) << what;
        EXPECT_STREQ(szOutput, kUntouched) << what;
    };
    const std::string missing = folder.file("missing");
    char szDigest[DIGEST_TEXT_SIZE];
    const struct {
        const char* what;
        std::string path;
    } badFiles[] = {
        {"missing file", missing},
        {"file in a missing folder", folder.file("missing/present")},
        {"folder", folder.path()},
#if defined(_WIN32)
        {"device", "NUL"},
#else
        {"device", "/dev/zero"},
#endif
    };
    for (const auto& bad : badFiles) {
        std::memcpy(szDigest, kUntouched, sizeof(szDigest));
        check(bad.what, DigestFile(bad.path.c_str(), szDigest), szDigest);
    }
    std::memcpy(szDigest, kUntouched, sizeof(szDigest));
    check("null file name", DigestFile(nullptr, szDigest), szDigest);
    check("null text", DigestText(nullptr, szDigest), szDigest);
    check("null buffer", DigestBuffer(nullptr, 0, szDigest), szDigest);
    EXPECT_EQ(DigestText("abc", nullptr), 0);
    EXPECT_EQ(DigestBuffer("abc", 3, nullptr), 0);
    EXPECT_EQ(DigestFile(folder.file("present").c_str(), nullptr), 0);

#if !defined(_WIN32)
    if (geteuid() != 0) {
        const std::string locked = folder.file("unreadable");
        WriteFile(locked, PatternBytes(10));
        chmod(locked.c_str(), 0);
        std::memcpy(szDigest, kUntouched, sizeof(szDigest));
        check("unreadable file", DigestFile(locked.c_str(), szDigest), szDigest);
    }
#endif
}
