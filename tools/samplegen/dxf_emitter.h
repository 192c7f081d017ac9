#pragma once
// Appends DXF groups to a string, formatted the way the CAD program writes them (codes right-aligned in
// three columns, integers in six), so that generated files look like real ones to a reader.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vrk::samplegen {

using Handle = std::uint64_t;

class Emitter {
public:
    explicit Emitter(std::string& out) : mOut(out) {}

    void str(int code, std::string_view v);
    void integer(int code, long long v);
    void real(int code, double v);
    void handle(int code, Handle h);
    void point(int code, double x, double y, double z = 0.0);  // code, code+10, code+20

    // 0 TYPE, 5 handle, optional reactors / extension dictionary groups, 330 owner.
    void head(std::string_view type, Handle h, Handle owner, const std::vector<Handle>& reactors = {}, Handle xdict = 0,
              int handleCode = 5);

private:
    void code(int c);
    std::string& mOut;
};

std::string hex(Handle h);

}  // namespace vrk::samplegen
