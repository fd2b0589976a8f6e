#include "ReaderFuzz.h"
#include "recordings/Mp4Parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // ".MOV" also exercises the block-offset arithmetic of the second track.
    lum::fuzz::ParseAs<lum::CLum3gpParser>(data, size, "FILE0001.MOV");
    return 0;
}
