#include "digest/md5.h"

#include <cstring>

namespace {

// T[i] = floor(2^32 * abs(sin(i + 1))), the additive constants of the 64 steps.
const MD5Word kSineTable[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// An unsigned int of other than 32 bits fails here.
typedef char MD5WordHas32Bits[sizeof(MD5Word) == 4 ? 1 : -1];

// Left rotations of the four steps of each round.
const int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

MD5Word RotateLeft(MD5Word x, int n)
{
    return (x << n) | (x >> (32 - n));
}

// Words of a block are stored low-order byte first.
MD5Word ReadWord(const unsigned char* p)
{
    return MD5Word(p[0]) | (MD5Word(p[1]) << 8) | (MD5Word(p[2]) << 16) | (MD5Word(p[3]) << 24);
}

void WriteWord(MD5Word w, unsigned char* p)
{
    p[0] = static_cast<unsigned char>(w);
    p[1] = static_cast<unsigned char>(w >> 8);
    p[2] = static_cast<unsigned char>(w >> 16);
    p[3] = static_cast<unsigned char>(w >> 24);
}

// The four rounds of sixteen steps over one 64-byte block.
void TransformBlock(MD5Word state[4], const unsigned char* pBlock)
{
    MD5Word x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = ReadWord(pBlock + 4 * i);

    MD5Word a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        MD5Word f;
        int k;
        switch (round) {
        case 0:  // F(X,Y,Z) = XY v not(X) Z
            f = (b & c) | (~b & d);
            k = i;
            break;
        case 1:  // G(X,Y,Z) = XZ v Y not(Z)
            f = (b & d) | (c & ~d);
            k = (1 + 5 * i) % 16;
            break;
        case 2:  // H(X,Y,Z) = X xor Y xor Z
            f = b ^ c ^ d;
            k = (5 + 3 * i) % 16;
            break;
        default:  // I(X,Y,Z) = Y xor (X v not(Z))
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
            break;
        }
        const MD5Word rotated = RotateLeft(a + f + x[k] + kSineTable[i], kShifts[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void InitMD5Context(MD5Context& context)
{
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
    context.nByteCount[0] = 0;
    context.nByteCount[1] = 0;
}

void UpdateMD5Context(MD5Context& context, const unsigned char* pBytes, std::size_t nLength)
{
    std::size_t nFilled = context.nByteCount[0] % 64;
    const MD5Word nLow = static_cast<MD5Word>(nLength);
    context.nByteCount[0] += nLow;
    if (context.nByteCount[0] < nLow)
        ++context.nByteCount[1];
    // Where size_t is wider than 32 bits; two shifts, since one of 32 would be undefined where it is not.
    context.nByteCount[1] += static_cast<MD5Word>((nLength >> 16) >> 16);
    if (nFilled > 0) {
        const std::size_t nTake = nLength < 64 - nFilled ? nLength : 64 - nFilled;
        std::memcpy(context.block + nFilled, pBytes, nTake);
        pBytes += nTake;
        nLength -= nTake;
        nFilled += nTake;
        if (nFilled < 64)
            return;
        TransformBlock(context.state, context.block);
    }
    for (; nLength >= 64; pBytes += 64, nLength -= 64)
        TransformBlock(context.state, pBytes);
    if (nLength > 0)
        std::memcpy(context.block, pBytes, nLength);
}

void FinishMD5Context(MD5Context& context, unsigned char digest[16])
{
    // A single 1 bit, zeros up to 56 bytes modulo 64, then the length in bits as 64 bits, low first.
    const MD5Word nBitCountLow = context.nByteCount[0] << 3;
    const MD5Word nBitCountHigh = (context.nByteCount[1] << 3) | (context.nByteCount[0] >> 29);
    unsigned char padding[72] = {0x80};
    const std::size_t nFilled = context.nByteCount[0] % 64;
    const std::size_t nPad = nFilled < 56 ? 56 - nFilled : 120 - nFilled;
    WriteWord(nBitCountLow, padding + nPad);
    WriteWord(nBitCountHigh, padding + nPad + 4);
    UpdateMD5Context(context, padding, nPad + 8);
    for (int i = 0; i < 4; ++i)
        WriteWord(context.state[i], digest + 4 * i);
}
