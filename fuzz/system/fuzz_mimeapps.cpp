// mimeapps.list as another program left it: any bytes must take our defaults
// without a crash; a second pass changes nothing more, and every line that
// names none of our types is kept byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "system/desktop_association.hpp"
#include "system/mail.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> types = {"audio/x-wav", "audio/wav"};
    std::string once = sys::WithDefaults(bytes, types);
    if (sys::WithDefaults(once, types) != once) std::abort();
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        end = end == std::string_view::npos ? bytes.size() : end;
        std::string_view line = bytes.substr(at, end - at);
        if (line.find("audio/") == std::string_view::npos && once.find(line) == std::string::npos) std::abort();
        at = end + 1;
    }
    // The mail body's encoding never lets a line grow past 76 characters.
    std::string qp = sys::QuotedPrintable(bytes);
    std::size_t start = 0;
    while (start <= qp.size()) {
        std::size_t end = qp.find("\r\n", start);
        if (end == std::string::npos) end = qp.size();
        if (end - start > 76) std::abort();
        start = end + 2;
    }
    return 0;
}
