// The Lyrics3 v2 reader, through GetId3v1Info and on its own with the end
// marker looked for at both places.

#include <cstdint>

#include "fuzz_input_file.hpp"
#include "metadata/module7.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzsupport::InputFile::instance().write(data, size);
    metadata::Id3v1Info info = metadata::Module7::GetId3v1Info(path);
    if (!info.HasLyrics3 && !info.Lyrics.empty()) __builtin_trap();
    if (info.HasTag != info.Genre.has_value()) __builtin_trap();
    for (bool hasId3v1 : {false, true}) {
        metadata::Module7::HasId3v1 = hasId3v1;
        (void)metadata::Module7::ReadLyrics3(path);
    }
    return 0;
}
