// cMP3ID3v2: reading the tag at the start of the file into the store and the
// named fields.

#include <algorithm>

#include "cmp3id3v2_store.hpp"
#include "id3v2_frame.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "metadata/id3v2_extent.hpp"
#include "numbered_file.hpp"
#include "runtime/files.hpp"

namespace metadata {

namespace {

// A genre code: a whole number from 0 to 255.
bool genreNumber(const std::string& digits, std::uint8_t& code) {
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    unsigned long value = std::stoul(digits);
    if (value > 255) return false;
    code = static_cast<std::uint8_t>(value);
    return true;
}

// "(17)Rock": the genre code between the first "(" and the first ")", then
// the name; "(17)" alone takes the name from the genre table. ID3v2.4 writes a
// code as the bare number ("17"), which reads as "(17)" does.
bool parseGenreCode(const std::string& text, std::uint8_t& code, std::string& rest) {
    if (genreNumber(text, code)) {
        rest.clear();
        return true;
    }
    std::size_t open = text.find('('), close = text.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    if (!genreNumber(text.substr(open + 1, close - open - 1), code)) return false;
    rest = text.substr(close + 1);
    return true;
}

}  // namespace

void cMP3ID3v2::LoadTag() {
    store_ = std::make_unique<Store>();
    tagPosition_ = 0;
    version_ = 0;
    genre_ = 255;
    for (std::string* field : {&title_, &artist_, &album_, &year_, &comment_, &track_, &playCounter_,
                               &encodedBy_, &otherGenreName_, &linkTo_, &originalArtist_, &composer_,
                               &copyright_, &audioUrl_, &buyUrl_, &artistUrl_, &lyrics_})
        field->clear();
    loadError_.reset();
    file_.reset();

    std::optional<detail::NumberedFile> file;
    try {
        file.emplace(path_, runtime::Access::Read, runtime::Lock::Write);
    } catch (const runtime::Error& e) {
        // A file that cannot be opened reads as one without a tag; Update
        // will not write over it from these empty fields.
        loadError_ = Id3v2Error(e);
        return;
    }
    try {
        file_ = file->identity();
        ReadAt read = [&](std::int64_t offset, std::size_t count) { return file->read(offset, count); };
        std::optional<Id3v2Header> header = ReadId3v2Header(read, file->length());
        if (!header) return;
        tagPosition_ = 4;  // the byte right after "ID3"
        version_ = static_cast<std::uint8_t>(header->major);
        const std::string tag = file->read(0, static_cast<std::size_t>(std::min(header->extent, file->length())));
        id3v2::walkFrames(tag, header->major, header->flags, header->size, [&](id3v2::RawFrame&& f) {
            std::string id = f.version == 2   ? id3v2::mapV22FrameId(f.id)
                             : f.version == 4 ? id3v2::mapV24FrameId(f.id)
                                              : f.id;
            if (id.empty()) return;  // a 2.2 frame that 2.3 has no place for
            std::optional<std::string> data = id3v2::readableData(f);
            // A frame of no bytes is invalid and holds nothing: mutagen drops it,
            // TagLib stops reading the tag at it. It is no frame here either, so
            // it neither hides an earlier frame's text nor is written back.
            if (f.body.empty() || (data && data->empty())) return;
            const bool recordingTime = f.id == "TDRC";
            store_->add(id, Store::Value{{}, std::move(f)});
            if (data) StoreFrame(id, *data);
            if (data && recordingTime) year_ = id3v2::yearOfTimestamp(year_);
        });
    } catch (const runtime::Error& e) {
        loadError_ = Id3v2Error(e);
    }
    // Also of a tag read only in part: what was read is shown.
    comment_ = ownText("COMM");
    lyrics_ = ownText("USLT");
    if (loadError_) throw *loadError_;
}

// The text of the frame that Comment or Lyrics stands for; "" when none.
std::string cMP3ID3v2::ownText(const char* frameId) const {
    const Store::Entry* entry = store_ ? store_->find(frameId) : nullptr;
    id3v2::LangText parts;
    if (!entry || !Store::ownValue(*entry, &parts)) return {};
    return parts.text;
}

// Fills the named field that a frame stands for; the last frame of an
// identifier wins. Comment and Lyrics are taken from the store once the walk
// has ended (ownText).
void cMP3ID3v2::StoreFrame(const std::string& id, std::string_view data) {
    if (id.size() != 4) return;
    using namespace id3v2;
    switch (id[0]) {
    case 'T':
        if (id == "TRCK") track_ = textOf(data);
        else if (id == "TENC") encodedBy_ = textOf(data);
        else if (id == "TCOP") copyright_ = textOf(data);
        else if (id == "TOPE") originalArtist_ = textOf(data);
        else if (id == "TCOM") composer_ = textOf(data);
        else if (id == "TYER") year_ = textOf(data);
        else if (id == "TIT2") title_ = textOf(data);
        else if (id == "TPE1") artist_ = textOf(data);
        else if (id == "TALB") album_ = textOf(data);
        else if (id == "TCON") {
            std::string text = textOf(data), rest;
            std::uint8_t code = 0;
            if (parseGenreCode(text, code, rest)) {
                genre_ = code;
                otherGenreName_ = rest.empty() ? GenreName(code) : rest;
            } else {
                otherGenreName_ = text;
            }
        }
        break;
    case 'W':
        if (id == "WXXX") linkTo_ = userUrlOf(data);
        else if (id == "WOAF") audioUrl_ = urlOf(data);
        else if (id == "WOAR") artistUrl_ = urlOf(data);
        else if (id == "WCOM") buyUrl_ = urlOf(data);
        break;
    case 'P':
        if (id == "PCNT") playCounter_ = counterOf(data);
        break;
    default: break;
    }
}

}  // namespace metadata
