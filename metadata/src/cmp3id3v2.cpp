// cMP3ID3v2: the frame store and the named properties.

#include "metadata/cmp3id3v2.hpp"

#include <algorithm>

#include "cmp3id3v2_store.hpp"
#include "metadata/genre_names.hpp"
#include "runtime/app.hpp"
#include "runtime/strings.hpp"

namespace metadata {

namespace {

// Identifiers are compared without regard to case. Frame identifiers are
// ASCII, so the common case needs no Unicode case mapping.
std::string keyOf(std::string_view id) {
    bool ascii = std::all_of(id.begin(), id.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) return runtime::UCase(id);
    std::string key(id);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

}  // namespace

std::string Id3v2ErrorSource() { return runtime::App::Title() + ".cMP3ID3v2"; }

runtime::Error Id3v2Error(const runtime::Error& e) {
    return runtime::Error(e.number(), e.description(), Id3v2ErrorSource());
}

void RaiseId3v2(int number, std::string description) {
    throw runtime::Error(number, std::move(description), Id3v2ErrorSource());
}

cMP3ID3v2::Store::Entry* cMP3ID3v2::Store::find(std::string_view id) {
    auto it = index.find(keyOf(id));
    return it == index.end() ? nullptr : &entries[it->second];
}

const cMP3ID3v2::Store::Entry* cMP3ID3v2::Store::find(std::string_view id) const {
    auto it = index.find(keyOf(id));
    return it == index.end() ? nullptr : &entries[it->second];
}

void cMP3ID3v2::Store::add(std::string_view id, Value value) {
    auto [it, added] = index.try_emplace(keyOf(id), entries.size());
    if (added) entries.push_back(Entry{std::string(id), {}});
    entries[it->second].values.push_back(std::move(value));
}

void cMP3ID3v2::Store::erase(std::size_t position) {
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(position));
    index.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) index.emplace(keyOf(entries[i].id), i);
}

void cMP3ID3v2::Store::moveLast(std::size_t position) {
    std::rotate(entries.begin() + static_cast<std::ptrdiff_t>(position),
                entries.begin() + static_cast<std::ptrdiff_t>(position) + 1, entries.end());
    index.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) index.emplace(keyOf(entries[i].id), i);
}

std::optional<std::size_t> cMP3ID3v2::Store::ownValue(const Entry& entry, id3v2::LangText* parts) {
    for (std::size_t i = 0; i < entry.values.size(); ++i) {
        const Value& v = entry.values[i];
        id3v2::LangText lt;
        if (v.raw) {
            std::optional<std::string> data = id3v2::readableData(*v.raw);
            if (!data || data->empty()) continue;  // compressed or encrypted: not known to be the one
            lt = id3v2::langTextOfData(*data);
        } else {
            lt = id3v2::langTextOfValue(v.text);
        }
        if (!lt.desc.empty()) continue;
        if (parts) *parts = std::move(lt);
        return i;
    }
    return std::nullopt;
}

cMP3ID3v2::cMP3ID3v2() = default;
cMP3ID3v2::~cMP3ID3v2() = default;
cMP3ID3v2::cMP3ID3v2(cMP3ID3v2&&) noexcept = default;
cMP3ID3v2& cMP3ID3v2::operator=(cMP3ID3v2&&) noexcept = default;

cMP3ID3v2::Store& cMP3ID3v2::store() {
    if (!store_) RaiseId3v2(runtime::err::ObjectVariableNotSet);
    return *store_;
}

std::int32_t cMP3ID3v2::FrameCount() const {
    if (!store_) RaiseId3v2(runtime::err::ObjectVariableNotSet);
    return static_cast<std::int32_t>(store_->entries.size());
}

std::string cMP3ID3v2::Frame(std::int32_t index) const {
    if (!store_) RaiseId3v2(runtime::err::ObjectVariableNotSet);
    if (index < 1 || static_cast<std::size_t>(index) > store_->entries.size())
        RaiseId3v2(runtime::err::SubscriptOutOfRange);
    return store_->entries[static_cast<std::size_t>(index) - 1].id;
}

void cMP3ID3v2::RemoveFrame(std::string_view frameId) {
    Store& s = store();
    auto it = s.index.find(keyOf(frameId));
    if (it == s.index.end()) RaiseId3v2(runtime::err::InvalidProcedureCall);
    s.erase(it->second);
}

std::int32_t cMP3ID3v2::TagsInFrame(std::string_view frameId) const {
    if (!store_) return 0;
    const Store::Entry* e = store_->find(frameId);
    return e ? static_cast<std::int32_t>(e->values.size()) : 0;
}

void cMP3ID3v2::AddTag(std::string_view frameId, std::string_view value) {
    store().add(frameId, Store::Value{std::string(value), std::nullopt});
}

void cMP3ID3v2::RemoveTag(std::string_view frameId, std::int32_t valueNumber) {
    Store& s = store();
    auto it = s.index.find(keyOf(frameId));
    if (it == s.index.end()) RaiseId3v2(runtime::err::InvalidProcedureCall);
    auto& values = s.entries[it->second].values;
    if (valueNumber < 1 || static_cast<std::size_t>(valueNumber) > values.size())
        RaiseId3v2(runtime::err::InvalidProcedureCall);
    values.erase(values.begin() + (valueNumber - 1));
    if (values.empty()) s.erase(it->second);
}

// Every setter: the field first, then the frame replaced and moved last.
void cMP3ID3v2::replaceFrame(const char* frameId, const std::string& value) {
    Store& s = store();
    auto it = s.index.find(keyOf(frameId));
    if (it != s.index.end()) s.erase(it->second);
    s.add(frameId, Store::Value{value, std::nullopt});
}

void cMP3ID3v2::setArtistURL(std::string_view text) {
    artistUrl_ = text;
    replaceFrame("WOAR", artistUrl_);
}

void cMP3ID3v2::setBuyURL(std::string_view text) {
    buyUrl_ = text;
    replaceFrame("WCOM", buyUrl_);
}

void cMP3ID3v2::setAudioURL(std::string_view text) {
    audioUrl_ = text;
    replaceFrame("WOAF", audioUrl_);
}

void cMP3ID3v2::setCopyright(std::string_view text) {
    copyright_ = text;
    replaceFrame("TCOP", copyright_);
}

void cMP3ID3v2::setComposer(std::string_view text) {
    composer_ = text;
    replaceFrame("TCOM", composer_);
}

void cMP3ID3v2::setOriginalArtist(std::string_view text) {
    originalArtist_ = text;
    replaceFrame("TOPE", originalArtist_);
}

void cMP3ID3v2::setLinkTo(std::string_view text) {
    linkTo_ = text;
    replaceFrame("WXXX", std::string(1, '\0') + linkTo_);  // empty description, then the URL
}

void cMP3ID3v2::setPlayCounter(std::string_view text) {
    playCounter_ = text;
    replaceFrame("PCNT", playCounter_);
}

void cMP3ID3v2::setEncodedBy(std::string_view text) {
    encodedBy_ = text;
    replaceFrame("TENC", encodedBy_);
}

void cMP3ID3v2::setTitle(std::string_view text) {
    title_ = text;
    replaceFrame("TIT2", title_);
}

void cMP3ID3v2::setArtist(std::string_view text) {
    artist_ = text;
    replaceFrame("TPE1", artist_);
}

void cMP3ID3v2::setAlbum(std::string_view text) {
    album_ = text;
    replaceFrame("TALB", album_);
}

void cMP3ID3v2::setYear(std::string_view text) {
    year_ = text;
    replaceFrame("TYER", year_);
}

// Comment and Lyrics stand for one frame each, the first without a
// description: the setter gives it the new text and keeps its language and its
// place among the frames of its kind; every other frame of the kind (another
// program's, such as iTunes' iTunNORM, or another language) stays as it is.
// Where there was none, one is added in `newLanguage`; an empty text removes
// the one there was and adds none.
void cMP3ID3v2::replaceOwnFrame(const char* frameId, const std::string& text, std::string_view newLanguage) {
    Store& s = store();
    Store::Entry* entry = s.find(frameId);
    if (!entry) {
        if (!text.empty()) s.add(frameId, Store::Value{std::string(newLanguage) + '\0' + text, std::nullopt});
        return;
    }
    const auto position = static_cast<std::size_t>(entry - s.entries.data());
    auto& values = entry->values;
    id3v2::LangText parts;
    const std::optional<std::size_t> own = Store::ownValue(*entry, &parts);
    const std::size_t at = own.value_or(values.size());
    if (text.empty()) {
        if (at == values.size()) return;
        values.erase(values.begin() + static_cast<std::ptrdiff_t>(at));
        if (values.empty()) s.erase(position);
        return;
    }
    std::optional<std::string> lang = own ? id3v2::languageAsText(parts.lang) : std::nullopt;
    Store::Value value{lang.value_or(std::string(newLanguage)) + '\0' + text, std::nullopt};
    if (at == values.size())
        values.push_back(std::move(value));
    else
        values[at] = std::move(value);
    s.moveLast(position);
}

void cMP3ID3v2::setComment(std::string_view text) {
    comment_ = text;
    // A new comment frame has the language field NUL "n" "t": the form this
    // program has always written.
    replaceOwnFrame("COMM", comment_, std::string_view("\0nt", 3));
}

void cMP3ID3v2::setLyrics(std::string_view text) {
    lyrics_ = text;
    replaceOwnFrame("USLT", lyrics_, "eng");
}

void cMP3ID3v2::setGenre(std::uint8_t code) {
    genre_ = code;
    replaceFrame("TCON", "(" + std::to_string(code) + ")" + otherGenreName_);
}

void cMP3ID3v2::setOtherGenreName(std::string_view text) {
    otherGenreName_ = text;
    replaceFrame("TCON", "(" + std::to_string(genre_) + ")" + otherGenreName_);
}

void cMP3ID3v2::setTrack(std::string_view text) {
    track_ = text;
    replaceFrame("TRCK", track_);
}

std::string cMP3ID3v2::GenreName(std::uint8_t code) const { return Id3v1GenreName(code); }

void cMP3ID3v2::setMP3File(std::string_view path) {
    path_ = path;
    LoadTag();
}

}  // namespace metadata
