// vrksamplegen: writes a drawing with dynamic-block structure (see generator.h).

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/samplegen/generator.h"

namespace {

const char kUsage[] =
    "usage: vrksamplegen [options] OUTPUT.dxf\n"
    "Writes an AC1032 drawing with the structure of dynamic blocks.\n"
    "  --blocks N               dynamic block definitions (default 4)\n"
    "  --entities-per-block M   entities in each definition and representation (default 12)\n"
    "  --representations R      anonymous *U blocks per definition (default 2)\n"
    "  --references K           model-space references of each *U block (default 2)\n"
    "  --big-block E            add one ordinary block of E entities (default 0: none)\n"
    "  --target-mb X            choose --blocks to reach about X MB\n"
    "  --seed S                 coordinates and entity kinds (default 1)\n"
    "  --first-handle HEX       first handle to hand out (default 30; try 7FFFFFFF00000000)\n"
    "  --help                   this text\n";

bool number(const char* text, long long& out) {
    char* end = nullptr;
    out = std::strtoll(text, &end, 10);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    vrk::samplegen::Options o;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vrksamplegen: %s needs a value\n%s", a.c_str(), kUsage);
                return 2;
            }
            const char* v = argv[++i];
            long long n = 0;
            bool ok = true;
            if (a == "--target-mb") {
                char* end = nullptr;
                o.targetMb = std::strtod(v, &end);
                ok = end != v && *end == '\0' && o.targetMb > 0;
            } else if (a == "--first-handle") {
                char* end = nullptr;
                o.firstHandle = std::strtoull(v, &end, 16);
                ok = end != v && *end == '\0' && o.firstHandle > 0;
            } else if (!number(v, n) || n < 0 || n > 100000000) {
                ok = false;
            } else if (a == "--blocks") {
                o.blocks = int(n);
            } else if (a == "--entities-per-block") {
                o.entitiesPerBlock = int(n);
            } else if (a == "--representations") {
                o.representations = int(n);
            } else if (a == "--references") {
                o.referencesPerRep = int(n);
            } else if (a == "--big-block") {
                o.bigBlockEntities = int(n);
            } else if (a == "--seed") {
                o.seed = std::uint64_t(n);
            } else {
                std::fprintf(stderr, "vrksamplegen: unknown option %s\n%s", a.c_str(), kUsage);
                return 2;
            }
            if (!ok) {
                std::fprintf(stderr, "vrksamplegen: bad value '%s' for %s\n", v, a.c_str());
                return 2;
            }
            continue;
        }
        if (output) {
            std::fprintf(stderr, "vrksamplegen: more than one output file\n%s", kUsage);
            return 2;
        }
        output = argv[i];
    }
    if (!output) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string text = vrk::samplegen::generateDrawing(o);
    std::FILE* f = std::fopen(output, "wb");
    if (!f) {
        std::fprintf(stderr, "vrksamplegen: cannot create %s: %s\n", output, std::strerror(errno));
        return 1;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "vrksamplegen: cannot write %s\n", output);
        std::remove(output);
        return 1;
    }
    return 0;
}
