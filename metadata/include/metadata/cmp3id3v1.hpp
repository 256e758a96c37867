#pragma once
// cMP3ID3v1: the editable ID3v1.1 tag of one MP3 file. Setting MP3File reads
// the tag at the end of the file; Update writes the fields back, over the old
// block or as a new 128-byte block after the last byte.
//
// Layout written: "TAG", title 30, artist 30, album 30, year 4, comment 28,
// a zero byte, track, genre; text in Windows-1252, blank-padded. A plain
// ID3v1.0 tag (a 30-byte comment) is recognised on reading and its comment
// kept whole, with no track number.
//
// Errors are runtime::Error with the source App::Title() + ".cMP3ID3v1".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metadata/id3v2_extent.hpp"
#include "runtime/files.hpp"

namespace metadata {

class cMP3ID3v1 {
public:
    // 0x80041001 as the signed 32-bit number Update raises for an empty file.
    static constexpr int kNotAnMp3File = -2147217407;

    cMP3ID3v1() = default;

    const std::string& MP3File() const { return mp3File_; }
    // Stores the path and reads its tag. A file that cannot be opened reads as
    // one without a tag; a failure while reading after the open is raised.
    void setMP3File(std::string_view path);

    // Writes the fields as the file's tag. Raises 53 (and creates nothing) when
    // the file does not exist, the open's own error when it cannot be opened,
    // kNotAnMp3File for an empty file; a file of 1 to 128 bytes is left alone.
    // Writes only into fileIdentity(): 75 when the path names another file.
    void Update();

    // What Update writes at the end of a file of `length` bytes that `read`
    // reads: the fields of its old record in their place, or a new record
    // after the last byte. Nothing for a file of 1 to 128 bytes;
    // kNotAnMp3File for an empty one. For a caller that makes a new file of
    // the old one and wants the record in it before the new file takes the
    // old one's place.
    FileEnding RecordFor(std::int64_t length, const ReadAt& read) const;

    // The file the object stands for: the one its last read opened (none when
    // that open failed, and then Update writes whatever the path names).
    const std::optional<runtime::FileIdentity>& fileIdentity() const { return file_; }
    // For a caller whose own write replaced that file by a new one at the
    // same path (a growing ID3v2 tag does).
    void setFileIdentity(const std::optional<runtime::FileIdentity>& file) { file_ = file; }

    bool HasID3v1Tag() const { return hasTag_; }
    const std::string& Title() const { return title_; }
    void setTitle(std::string_view v) { title_ = v; }
    const std::string& Artist() const { return artist_; }
    void setArtist(std::string_view v) { artist_ = v; }
    const std::string& Album() const { return album_; }
    void setAlbum(std::string_view v) { album_ = v; }
    const std::string& Year() const { return year_; }
    void setYear(std::string_view v) { year_ = v; }
    std::uint8_t Track() const { return track_; }
    void setTrack(std::uint8_t v) { track_ = v; }
    const std::string& Comment() const { return comment_; }
    void setComment(std::string_view v) { comment_ = v; }
    std::uint8_t Genre() const { return genre_; }
    void setGenre(std::uint8_t v) { genre_ = v; }

    // The name of a genre code ("" for a code without one); independent of the tag.
    std::string GenreName(std::uint8_t Genre) const;

    // The source that this class's errors carry.
    static std::string ErrorSource();

private:
    void ReadTag();
    static std::string CleanText(std::string_view text);
    void WriteTag();

    std::string mp3File_;
    std::optional<runtime::FileIdentity> file_;
    bool hasTag_ = false;
    std::string title_, artist_, album_, year_, comment_;
    std::uint8_t track_ = 0;
    std::uint8_t genre_ = 0;
};

}  // namespace metadata
