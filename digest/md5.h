// The MD5 message digest as RFC 1321 defines it, taken in pieces: initialise a context, give it the
// message in as many parts as wanted, then finish it into the 16-byte digest.
#pragma once

#include <cstddef>

// A 32-bit word.  The count is kept in two of them, as RFC 1321 does, since the host's compilers
// spell a 64-bit integer each their own way.
typedef unsigned int MD5Word;

struct MD5Context {
    MD5Word state[4];         // the chaining words A, B, C, D
    MD5Word nByteCount[2];    // bytes taken in so far, low word first: 64 bits, so messages past
                              // 4 GiB pad correctly
    unsigned char block[64];  // the part of the current 64-byte block taken in so far
};

// Starts a digest of the empty message.
void InitMD5Context(MD5Context& context);

// Appends nLength bytes to the message.
void UpdateMD5Context(MD5Context& context, const unsigned char* pBytes, std::size_t nLength);

// Pads the message, appends its length in bits and writes the 16 bytes of the digest.  The context
// is spent; initialise it again to start another digest.
void FinishMD5Context(MD5Context& context, unsigned char digest[16]);
