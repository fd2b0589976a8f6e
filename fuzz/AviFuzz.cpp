#include "ReaderFuzz.h"
#include "recordings/AviParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lum::fuzz::ParseAs<lum::CLumAviParser>(data, size, "S0000001.AVI");
    return 0;
}
