// Picture files from outside (skins beside the program, artist pictures
// fetched from the web): any bytes decode to a picture or fail with the
// original's error, without a crash and without an allocation the picture's
// own bytes cannot justify.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "forms/picture.hpp"
#include "runtime/error.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        forms::Picture p = forms::decodePicture(bytes);
        if (p.empty() || p.width() <= 0 || p.height() <= 0) __builtin_trap();
        if (p.rgba().size() != static_cast<std::size_t>(p.width()) * p.height() * 4) __builtin_trap();
        (void)p.pixel(p.width() - 1, p.height() - 1);
    } catch (const runtime::Error&) {
    }
    return 0;
}
