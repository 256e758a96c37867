#include "downloader/catalogue.hpp"

#include <cstddef>
#include <string_view>

#include "runtime/error.hpp"

namespace downloader {

namespace detail {
extern const char kCatalogue1[];
extern const char kCatalogue2[];
extern const char kCatalogue3[];
extern const std::size_t kCatalogue1Size;
extern const std::size_t kCatalogue2Size;
extern const std::size_t kCatalogue3Size;
}  // namespace detail

namespace {

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        auto nl = bytes.find('\n');
        lines.emplace_back(bytes.substr(0, nl));
        if (nl == std::string_view::npos) break;
        bytes.remove_prefix(nl + 1);
    }
    return lines;
}

}  // namespace

const std::vector<std::string>& catalogue(int build) {
    static const std::vector<std::string> one = splitLines({detail::kCatalogue1, detail::kCatalogue1Size});
    static const std::vector<std::string> two = splitLines({detail::kCatalogue2, detail::kCatalogue2Size});
    static const std::vector<std::string> three = splitLines({detail::kCatalogue3, detail::kCatalogue3Size});
    switch (build) {
    case 1: return one;
    case 2: return two;
    case 3: return three;
    default: runtime::raise(runtime::err::InvalidProcedureCall, "catalogue");
    }
}

const BuildTraits& buildTraits(int build) {
    static const BuildTraits traits[] = {
        {1, "Songhaul1", true, true, 11280, 8055, 0, false},
        {2, "Songhaul2", false, false, 11265, 8055, 120, true},
        {3, "Songhaul3", false, false, 11265, 8055, 120, false},
    };
    if (build < 1 || build > 3) runtime::raise(runtime::err::InvalidProcedureCall, "buildTraits");
    return traits[build - 1];
}

}  // namespace downloader
