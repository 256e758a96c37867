#include "metadata/cmp3id3v1.hpp"

#include <optional>

#include <unistd.h>

#include "metadata/genre_names.hpp"
#include "numbered_file.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/strings.hpp"

namespace metadata {

namespace {

constexpr std::int64_t kBlock = 128;

// Text as a fixed-width field: Windows-1252, cut to the width, blank-padded.
std::string fixedField(std::string_view text, std::size_t width) {
    std::string bytes = runtime::cp1252::encode(text);
    bytes.resize(width, ' ');
    return bytes;
}

[[noreturn]] void reraise(const runtime::Error& e) {
    throw runtime::Error(e.number(), e.description(), cMP3ID3v1::ErrorSource());
}

}  // namespace

std::string cMP3ID3v1::ErrorSource() { return runtime::App::Title() + ".cMP3ID3v1"; }

void cMP3ID3v1::setMP3File(std::string_view path) {
    mp3File_ = path;
    ReadTag();
}

void cMP3ID3v1::Update() { WriteTag(); }

std::string cMP3ID3v1::GenreName(std::uint8_t Genre) const { return Id3v1GenreName(Genre); }

// A field ends at its first NUL (what follows is left over from an older,
// longer text); blanks are trimmed at both ends.
std::string cMP3ID3v1::CleanText(std::string_view text) {
    return runtime::Trim(text.substr(0, text.find('\0')));
}

void cMP3ID3v1::ReadTag() {
    hasTag_ = false;
    comment_.clear();
    artist_.clear();
    album_.clear();
    year_.clear();
    title_.clear();
    genre_ = 255;
    track_ = 0;

    file_.reset();
    std::optional<detail::NumberedFile> file;
    try {
        file.emplace(mp3File_, runtime::Access::Read, runtime::Lock::Write);
    } catch (const runtime::Error&) {
        return;  // a file we cannot open reads as a file without a tag
    }
    try {
        file_ = file->identity();
        const std::int64_t length = file->length();
        if (length <= kBlock) return;
        std::string block = file->read(length - kBlock, static_cast<std::size_t>(kBlock));
        file->close();
        if (block.size() < static_cast<std::size_t>(kBlock) || block.compare(0, 3, "TAG") != 0) return;
        hasTag_ = true;
        auto text = [&](std::size_t at, std::size_t width) {
            return CleanText(runtime::cp1252::decode(std::string_view(block).substr(at, width)));
        };
        title_ = text(3, 30);
        artist_ = text(33, 30);
        album_ = text(63, 30);
        year_ = text(93, 4);
        // ID3v1.1 keeps a zero byte and a non-zero track number in the comment's
        // last two bytes; otherwise the comment has all 30 bytes (ID3v1.0).
        const auto zeroByte = static_cast<unsigned char>(block[125]);
        const auto trackByte = static_cast<unsigned char>(block[126]);
        if (zeroByte == 0 && trackByte != 0) {
            comment_ = text(97, 28);
            track_ = trackByte;
        } else {
            comment_ = text(97, 30);
        }
        genre_ = static_cast<unsigned char>(block[127]);
    } catch (const runtime::Error& e) {
        reraise(e);
    }
}

FileEnding cMP3ID3v1::RecordFor(std::int64_t length, const ReadAt& read) const {
    if (length == 0) throw runtime::Error(kNotAnMp3File, mp3File_ + " is not a valid MP3 file.", ErrorSource());
    if (length <= kBlock) return {};
    std::string fields;
    fields.reserve(static_cast<std::size_t>(kBlock) - 3);
    fields += fixedField(title_, 30);
    fields += fixedField(artist_, 30);
    fields += fixedField(album_, 30);
    fields += fixedField(year_, 4);
    fields += fixedField(comment_, 28);
    fields += '\0';
    fields += static_cast<char>(track_);
    fields += static_cast<char>(genre_);
    if (read(length - kBlock, 3) == "TAG") return {kBlock - 3, std::move(fields)};  // over the old tag's fields
    return {0, "TAG" + fields};  // a new block after the last byte
}

void cMP3ID3v1::WriteTag() {
    // Opening for writing would create a missing file; a missing file is an error instead.
    if (!runtime::FileExists(mp3File_))
        throw runtime::Error(runtime::err::FileNotFound, {}, ErrorSource());
    std::optional<detail::NumberedFile> file;
    try {
        file.emplace(mp3File_, runtime::Access::ReadWrite, runtime::Lock::Write);
    } catch (const runtime::Error& e) {
        reraise(e);
    }
    try {
        file->requireFile(file_);
        const std::int64_t length = file->length();
        const FileEnding record =
            RecordFor(length, [&](std::int64_t offset, std::size_t count) { return file->read(offset, count); });
        if (record.bytes.empty()) return;
        if (record.replaced > 0) {
            file->write(length - record.replaced, record.bytes);  // in place
        } else {
            try {
                file->write(length, record.bytes);
            } catch (const runtime::Error&) {
                // A block cut short (a full disk) would stay behind the audio as
                // junk that no reader takes for a tag: the file keeps its old length.
                (void)::ftruncate(runtime::Files().Descriptor(file->number()), length);
                throw;
            }
        }
        file->close();
    } catch (const runtime::Error& e) {
        if (e.source() == ErrorSource()) throw;
        reraise(e);
    }
}

}  // namespace metadata
