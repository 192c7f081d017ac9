// Binary drawings: read into the same records as their ASCII form, written back as read, converted
// either way without changing a value, and refused with the byte offset when malformed.

#include <cstring>

#include "handmade.h"
#include "test_support.h"

namespace vrk::dxf::testing {
namespace {

std::string converted(const Document& doc, Encoding to) {
    EditSet edits;
    edits.writeAs(to);
    return writeToString(doc, edits);
}

// Both documents hold the same records with the same metadata.
void expectSameRecords(const Document& a, const Document& b) {
    ASSERT_EQ(a.recordCount(), b.recordCount());
    for (RecordIndex i = 0; i < a.recordCount(); ++i) {
        const Record &x = a.record(i), &y = b.record(i);
        EXPECT_EQ(a.typeName(i), b.typeName(i)) << i;
        EXPECT_TRUE(x.handle == y.handle && x.owner == y.owner && x.xdict == y.xdict && x.kind == y.kind &&
                    x.flags == y.flags && x.parent == y.parent)
            << "record " << i << " " << a.typeName(i);
    }
    ASSERT_EQ(a.layers().size(), b.layers().size());
    for (std::size_t k = 0; k < a.layers().size(); ++k) {
        EXPECT_EQ(a.layers()[k].name, b.layers()[k].name);
        EXPECT_EQ(a.layers()[k].color, b.layers()[k].color);
        EXPECT_EQ(a.layers()[k].flags, b.layers()[k].flags);
    }
    EXPECT_EQ(a.handseed(), b.handseed());
    EXPECT_EQ(a.acadVersion(), b.acadVersion());
    EXPECT_EQ(a.codePage(), b.codePage());
}

// The hand-made drawing with a value of every type in its XRECORD.
std::string everyValueType() {
    std::string s = handmade();
    const std::string at = "340\n25\n";
    s.insert(s.rfind(at) + at.size(),
             " 40\n0.1\n 41\n1e-300\n 42\n-0.0\n 43\n0.30000000000000004\n 44\n1.7976931348623157E+308\n"
             " 70\n    -1\n 90\n2147483647\n160\n-9223372036854775807\n290\n1\n310\n00FF10\n"
             "  1\na^Jb^ c\n1001\nACAD\n1004\n0A0B\n1040\n2.5\n1071\n-7\n");
    return s;
}

TEST(Binary, RealDrawingsReadAsTheirAsciiFormAndConvertBackByteForByte) {
    const auto files = realworldBinaryFiles();
    if (files.empty())
        GTEST_SKIP() << "no binary drawings in " << vrk::test::realworldBinaryFolder()
                     << " (set VRK_REALWORLD_BINARY_DIR)";
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        const std::string bytes = fileContents(f);
        auto binary = parseOk(bytes);
        ASSERT_NE(binary, nullptr);
        EXPECT_EQ(binary->encoding(), Encoding::Binary);
        const std::string ascii = converted(*binary, Encoding::Ascii);
        auto asAscii = parseOk(ascii);
        ASSERT_NE(asAscii, nullptr);
        EXPECT_EQ(asAscii->encoding(), Encoding::Ascii);
        expectSameRecords(*binary, *asAscii);
        EXPECT_TRUE(converted(*asAscii, Encoding::Binary) == bytes);
    }
}

TEST(Binary, EveryValueTypeConvertsExactly) {
    auto ascii = parseOk(everyValueType());
    ASSERT_NE(ascii, nullptr);
    const std::string binaryBytes = converted(*ascii, Encoding::Binary);
    auto binary = parseOk(binaryBytes);
    ASSERT_NE(binary, nullptr);
    expectSameRecords(*ascii, *binary);
    auto backToAscii = parseOk(converted(*binary, Encoding::Ascii));
    ASSERT_NE(backToAscii, nullptr);
    EXPECT_TRUE(converted(*backToAscii, Encoding::Binary) == binaryBytes);

    const RecordIndex x = binary->find(0x50);
    ASSERT_NE(x, kNoRecord);
    const struct {
        int code;
        double value;
    } doubles[] = {{40, 0.1},  {41, 1e-300}, {42, -0.0}, {43, 0.30000000000000004}, {44, 1.7976931348623157e308},
                   {1040, 2.5}};
    for (const auto& d : doubles) {
        std::string_view raw;
        ASSERT_TRUE(binary->findValue(x, d.code, raw)) << d.code;
        ASSERT_EQ(raw.size(), 8u);
        EXPECT_EQ(std::memcmp(raw.data(), &d.value, 8), 0) << d.code;  // same bits (little-endian host)
    }
    const struct {
        int code;
        long long value;
    } integers[] = {{70, -1}, {90, 2147483647}, {160, -9223372036854775807LL}, {290, 1}, {280, 1}, {1071, -7}};
    for (const auto& i : integers) {
        long long v = 0;
        EXPECT_TRUE(binary->intValue(x, i.code, v) && v == i.value) << i.code;
    }
    EXPECT_EQ(binary->value(x, 310), std::string_view("\x00\xFF\x10", 3));
    EXPECT_EQ(binary->value(x, 1004), "\x0A\x0B");
    EXPECT_EQ(binary->value(x, 1), "a\nb^c");  // caret notation of ASCII files decoded
    EXPECT_EQ(backToAscii->value(backToAscii->find(0x50), 1), "a^Jb^ c");
}

TEST(Binary, EditsGiveTheSameDrawingAsOnTheAsciiForm) {
    auto ascii = parseOk(handmade());
    ASSERT_NE(ascii, nullptr);
    auto binary = parseOk(converted(*ascii, Encoding::Binary));
    ASSERT_NE(binary, nullptr);
    EditSet edits;
    edits.leaveOut(0x24);  // mends 340s, reactors and xdata that name it
    edits.releaseExtensionDictionary(0x20);
    edits.setLayerSwitches(0x10, LayerSwitches{true, true, false});
    edits.setHeaderValue("$DWGCODEPAGE", 3, "ANSI_1251");
    edits.raiseHandseed(0x200);
    const std::string fromBinary = writeToString(*binary, edits);
    auto editedAscii = parseOk(writeToString(*ascii, edits));
    ASSERT_NE(editedAscii, nullptr);
    EXPECT_TRUE(converted(*editedAscii, Encoding::Binary) == fromBinary);
    // Saved in the encoding it was read in, unless asked otherwise.
    EXPECT_EQ(fromBinary.substr(0, kBinarySentinel.size()), kBinarySentinel);
}

ReadError binaryFails(const std::string& afterSentinel) {
    ReadError err;
    auto doc = parseDocument(std::string(kBinarySentinel) + afterSentinel, err);
    EXPECT_EQ(doc, nullptr);
    EXPECT_FALSE(err.reason.empty());
    return err;
}

TEST(Binary, MalformedInputNamesTheByteOffset) {
    using namespace std::string_literals;
    const std::string section = "\0\0SECTION\0"s;  // at 22
    const std::string header = "\2\0HEADER\0"s;    // at 32
    const struct {
        std::string bytes;
        const char* reason;
        std::uint64_t offset;
    } cases[] = {
        {"\0"s, "group code cut short (file truncated)", 22},
        {"\0\0SECTION"s, "string without its terminator (file truncated)", 22},
        {section + header +
             "\x36\x01\x05"
             "ab"s,
         "binary chunk runs past the end of the file", 41},
        {section + header + "\x36\x01"s, "binary chunk without its length (file truncated)", 41},
        {section + header + "\x55\0"s + "x"s, "unknown group code 85", 41},
        {section + header + "\x28\0\1\2\3"s, "value cut short (file truncated)", 41},
        {section + header, "missing ENDSEC of section HEADER (file truncated?)", 41},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const ReadError err = binaryFails(c.bytes);
        EXPECT_EQ(err.status, ReadStatus::Malformed);
        EXPECT_EQ(err.reason, c.reason);
        EXPECT_EQ(err.offset, c.offset);
        EXPECT_EQ(err.describe(), "byte " + std::to_string(c.offset) + ": " + c.reason);
    }
    // R12 and older wrote one-byte group codes: refused as in ASCII.
    const ReadError r12 = binaryFails("\0SECTION\0\2HEADER\0\x09$ACADVER\0\1AC1009\0"s);
    EXPECT_EQ(r12.status, ReadStatus::Unsupported);
    EXPECT_EQ(r12.reason, "R12 and older drawing files (AC1009) are not supported; use AC1015 or later");

    // Cut anywhere, a real drawing fails cleanly (the sanitizer builds catch any over-read).
    auto ascii = parseOk(everyValueType());
    ASSERT_NE(ascii, nullptr);
    const std::string whole = converted(*ascii, Encoding::Binary);
    for (std::size_t n = kBinarySentinel.size(); n < whole.size(); n += 3) {
        ReadError err;
        EXPECT_EQ(parseDocument(whole.substr(0, n), err), nullptr) << n;
        EXPECT_LE(err.offset, n);
    }
}

}  // namespace
}  // namespace vrk::dxf::testing
