// GetMpegInfo over any file content: never raises, never reads past the end,
// and its figures keep to their ranges.

#include <cstdint>

#include "fuzz_input_file.hpp"
#include "metadata/module7.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzsupport::InputFile::instance().write(data, size);
    metadata::MpegInfo info = metadata::Module7::GetMpegInfo(path);
    if (info.Bitrate < 0 || info.FrameLength < 0 || info.Frames < 0 || info.HeaderPosition < 0) __builtin_trap();
    if (!info.SizeText.empty() && info.LengthText.empty()) __builtin_trap();
    // MPEG-1, MPEG-2 or MPEG-2.5 (version 0), always Layer III once a header is read.
    if (info.MpegVersion < 0 || info.MpegVersion > 2) __builtin_trap();
    if (!info.SizeText.empty() && info.Layer != 3) __builtin_trap();
    return 0;
}
