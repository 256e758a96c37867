#include "metadata/csplaymodul.hpp"

#include "numbered_file.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace metadata::CSPlaymodul {

std::array<std::string, 127> GenreTable;

namespace {
constexpr std::size_t kBlock = 128;
constexpr std::size_t kLookupEntries = 64;  // the lookups consult entries 0 to 63 only
}  // namespace

bool ReadId3v1Record(std::string_view Path, Id3v1Record& Rec) {
    try {
        detail::NumberedFile file(Path, runtime::Access::Read, runtime::Lock::Shared);
        const std::int64_t length = file.length();
        if (length < static_cast<std::int64_t>(kBlock)) return false;
        std::string block = file.read(length - static_cast<std::int64_t>(kBlock), kBlock);
        file.close();
        if (block.size() < kBlock) return false;  // the file shrank while we read it
        auto field = [&](std::size_t at, std::size_t width) {
            return runtime::cp1252::decode(std::string_view(block).substr(at, width));
        };
        Rec.Tag = field(0, 3);
        Rec.Title = field(3, 30);
        Rec.Artist = field(33, 30);
        Rec.Album = field(63, 30);
        Rec.Year = field(93, 4);
        Rec.Comment = field(97, 30);
        Rec.Genre = field(127, 1);
        return Rec.Tag == "TAG";
    } catch (const runtime::Error&) {
        return false;
    }
}

std::string GenreCharToName(std::string_view GenreChar) {
    int code = GenreChar.empty() ? 255 : runtime::Asc(GenreChar);
    if (code > 63 || code < 0) return "Other";
    return GenreTable[static_cast<std::size_t>(code)];
}

std::string GenreNameToChar(std::string_view Name) {
    for (std::size_t i = 0; i < kLookupEntries; ++i)
        if (GenreTable[i] == Name) return runtime::Chr(static_cast<long>(i));
    return {};
}

}  // namespace metadata::CSPlaymodul
