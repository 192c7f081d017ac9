// libFuzzer entry: DXF bytes through the reader and writer, then through the emulated database and the
// solidify command. A broken check aborts, so that libFuzzer keeps the input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/database_roundtrip.h"
#include "fuzz/roundtrip.h"

namespace {

std::string workFolder() {
    // Under /dev/shm when there is one: every input goes through two files.
    char templ[] = "/dev/shm/vrk-fuzz-XXXXXX";
    if (char* p = mkdtemp(templ)) return p;
    char fallback[] = "/tmp/vrk-fuzz-XXXXXX";
    if (char* p = mkdtemp(fallback)) return p;
    std::perror("vrk fuzz: mkdtemp");
    std::abort();
}

void check(const std::string& failure) {
    if (failure.empty()) return;
    std::fprintf(stderr, "vrk fuzz: %s\n", failure.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = workFolder();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check(vrk::fuzz::checkDxfRoundTrip(bytes));
    check(vrk::fuzz::checkDatabaseRoundTrip(bytes, folder));
    return 0;
}
