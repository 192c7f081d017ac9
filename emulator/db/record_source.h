// What objects read from a drawing file ask of the record they were read from. The drawing-file code
// answers for either encoding; the database knows neither the file format nor its text encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AcDbStub;

namespace vrk::emu {

struct SourceEntry {
    std::string key;  // UTF-8
    std::uint64_t handle = 0;
    std::uint32_t record = UINT32_MAX;  // the entry's own record; UINT32_MAX when the file has none
};

class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual std::uint64_t handle(std::uint32_t record) const = 0;
    // The first value of the group as UTF-8; "" when the record has none.
    virtual std::string text(std::uint32_t record, int code) const = 0;
    // The first value of an integer group; false when the record has none.
    virtual bool integer(std::uint32_t record, int code, long long& value) const = 0;
    // A dictionary's entries in file order; none for a record that is no dictionary.
    virtual std::vector<SourceEntry> dictionaryEntries(std::uint32_t record) const = 0;
};

// The same questions about the object a stub stands for, answered as for a missing value when the
// object was not read from a file.
std::string sourceText(const AcDbStub* pStub, int code);
int sourceInt(const AcDbStub* pStub, int code, int fallback);
std::vector<SourceEntry> sourceDictionaryEntries(const AcDbStub* pStub);

}  // namespace vrk::emu
