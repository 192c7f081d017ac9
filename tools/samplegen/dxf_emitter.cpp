#include "dxf_emitter.h"

#include <cstdio>

namespace vrk::samplegen {

std::string hex(Handle h) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(h));
    return buf;
}

void Emitter::code(int c) {
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "%3d\n", c);
    mOut.append(buf, std::size_t(n));
}

void Emitter::str(int c, std::string_view v) {
    code(c);
    mOut.append(v);
    mOut += '\n';
}

void Emitter::integer(int c, long long v) {
    code(c);
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%6lld\n", v);
    mOut.append(buf, std::size_t(n));
}

void Emitter::real(int c, double v) {
    code(c);
    char buf[40];
    int n = std::snprintf(buf, sizeof buf, "%.6g", v);
    mOut.append(buf, std::size_t(n));
    // Reals are written with a decimal point, as the CAD program does.
    bool dot = false;
    for (int i = 0; i < n; ++i) dot |= buf[i] == '.' || buf[i] == 'e';
    if (!dot) mOut += ".0";
    mOut += '\n';
}

void Emitter::handle(int c, Handle h) { str(c, hex(h)); }

void Emitter::point(int c, double x, double y, double z) {
    real(c, x);
    real(c + 10, y);
    real(c + 20, z);
}

void Emitter::head(std::string_view type, Handle h, Handle owner, const std::vector<Handle>& reactors, Handle xdict,
                   int handleCode) {
    str(0, type);
    handle(handleCode, h);
    if (!reactors.empty()) {
        str(102, "{ACAD_REACTORS");
        for (Handle r : reactors) handle(330, r);
        str(102, "}");
    }
    if (xdict != 0) {
        str(102, "{ACAD_XDICTIONARY");
        handle(360, xdict);
        str(102, "}");
    }
    handle(330, owner);
}

}  // namespace vrk::samplegen
