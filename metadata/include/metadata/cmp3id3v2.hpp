#pragma once
// The editable ID3v2 tag of one MP3 file.
//
// Setting MP3File reads the tag at the start of the file (versions 2.2, 2.3
// and 2.4) into a frame store and into named fields. The getters return the
// fields; every setter also replaces its frame in the store, and moves it to
// the end of the write order. Update writes the whole store back into the file
// as an ID3v2.3 tag: in place when it fits into the old tag, otherwise the
// file is rewritten beside itself with a tag padded to the next multiple of
// 2048 bytes and renamed over the original. Frames the object did not change
// are written back as they were read.
//
// Failures are runtime::Error objects whose source is the program's title
// followed by ".cMP3ID3v2". Numbers of the store itself: 5 for an identifier or
// value that is not there, 9 for a frame index out of range, 91 for any use
// before the first load.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "metadata/id3v2_extent.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"

namespace metadata {

class cMP3ID3v2 {
public:
    cMP3ID3v2();
    ~cMP3ID3v2();
    cMP3ID3v2(cMP3ID3v2&&) noexcept;
    cMP3ID3v2& operator=(cMP3ID3v2&&) noexcept;

    bool HasID3v2Tag() const { return tagPosition_ > 0; }
    std::uint8_t ID3v2TagVersion() const { return version_; }
    std::uint8_t TagVersion() const { return version_; }

    // The frame store. Identifiers compare without regard to case and keep the
    // spelling of their first addition.
    std::int32_t FrameCount() const;
    std::string Frame(std::int32_t index) const;  // 1-based
    void RemoveFrame(std::string_view frameId);
    std::int32_t TagsInFrame(std::string_view frameId) const;  // 0 when unknown
    void AddTag(std::string_view frameId, std::string_view value);
    void RemoveTag(std::string_view frameId, std::int32_t valueNumber);  // 1-based

    const std::string& ArtistURL() const { return artistUrl_; }
    void setArtistURL(std::string_view text);
    const std::string& BuyURL() const { return buyUrl_; }
    void setBuyURL(std::string_view text);
    const std::string& AudioURL() const { return audioUrl_; }
    void setAudioURL(std::string_view text);
    const std::string& Copyright() const { return copyright_; }
    void setCopyright(std::string_view text);
    const std::string& Composer() const { return composer_; }
    void setComposer(std::string_view text);
    const std::string& OriginalArtist() const { return originalArtist_; }
    void setOriginalArtist(std::string_view text);
    const std::string& LinkTo() const { return linkTo_; }
    void setLinkTo(std::string_view text);
    const std::string& PlayCounter() const { return playCounter_; }
    void setPlayCounter(std::string_view text);
    const std::string& EncodedBy() const { return encodedBy_; }
    void setEncodedBy(std::string_view text);
    const std::string& Title() const { return title_; }
    void setTitle(std::string_view text);
    const std::string& Artist() const { return artist_; }
    void setArtist(std::string_view text);
    const std::string& Album() const { return album_; }
    void setAlbum(std::string_view text);
    const std::string& Year() const { return year_; }
    void setYear(std::string_view text);
    // Comment and Lyrics stand for one frame each ("COMM", "USLT"): the first
    // without a description, whatever its language. The getter gives its text
    // alone (no language, no description; "" when there is none). The setter
    // replaces that frame's text and keeps its language, or adds a frame where
    // there was none (language NUL "nt" for a comment, "eng" for lyrics); an
    // empty text removes that frame. Every other frame of the kind, such as
    // iTunes' iTunNORM comment or a second language, is kept as it was read.
    const std::string& Comment() const { return comment_; }
    void setComment(std::string_view text);
    const std::string& Lyrics() const { return lyrics_; }
    void setLyrics(std::string_view text);
    std::uint8_t Genre() const { return genre_; }
    void setGenre(std::uint8_t code);
    const std::string& OtherGenreName() const { return otherGenreName_; }
    void setOtherGenreName(std::string_view text);
    const std::string& Track() const { return track_; }
    void setTrack(std::string_view text);

    // The name of a genre code, as the ID3v1 tag object gives it.
    std::string GenreName(std::uint8_t code) const;

    const std::string& MP3File() const { return path_; }
    // Stores the path and reads the file's tag. A file that cannot be opened
    // reads as one without a tag; a read failure after the open is raised.
    void setMP3File(std::string_view path);

    // Writes the store into the file as an ID3v2.3 tag, and only into
    // fileIdentity(): when the path names another file by then, 75 and
    // nothing is written.
    void Update();

    // The new file that a growing tag writes, as it would be (its length and
    // a reader over its bytes), to what it ends with.
    using GrownFileEnding = std::function<FileEnding(std::int64_t length, const ReadAt& read)>;
    // Update; when the tag grows into a new file, that file ends as `ending`
    // says before it is renamed into place, so that a crash leaves the file
    // either as it was or with both the new tag and the new ending (an ID3v1
    // record). A tag written in place does not ask it.
    void Update(const GrownFileEnding& ending);

    // The file the object stands for: the one its last read opened, or the
    // new file that its last Update put at the path when the tag grew.
    const std::optional<runtime::FileIdentity>& fileIdentity() const { return file_; }

private:
    struct Store;

    void LoadTag();
    void StoreFrame(const std::string& id, std::string_view data);
    std::string ownText(const char* frameId) const;
    void SaveTag(const GrownFileEnding& ending);
    void replaceFrame(const char* frameId, const std::string& value);
    void replaceOwnFrame(const char* frameId, const std::string& text, std::string_view newLanguage);
    Store& store();
    const Store* storeIfLoaded() const { return store_.get(); }

    std::string path_;
    std::int32_t tagPosition_ = 0;
    std::uint8_t version_ = 0;
    std::string title_, artist_, album_, year_, comment_;
    std::uint8_t genre_ = 0;
    std::string track_, playCounter_, encodedBy_, otherGenreName_, linkTo_, originalArtist_, composer_,
        copyright_, audioUrl_, buyUrl_, artistUrl_, lyrics_;
    std::optional<runtime::FileIdentity> file_;
    std::unique_ptr<Store> store_;           // none before the first load
    std::optional<runtime::Error> loadError_;  // why the last load could not read the file
};

}  // namespace metadata
