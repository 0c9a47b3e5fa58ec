// libFuzzer entry: any fault the check finds aborts, so that libFuzzer keeps
// the input. Built only by the fuzz preset (clang); run it with tools/fuzz.
#include <cstdio>
#include <cstdlib>

#include "stream_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = checkStream(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "stream check failed: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
