// cMP3ID3v2: writing the store into the file as an ID3v2.3 tag.

#include <algorithm>
#include <cerrno>

#include <unistd.h>

#include "cmp3id3v2_store.hpp"
#include "id3v2_codec.hpp"
#include "id3v2_frame.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "metadata/id3v2_extent.hpp"
#include "numbered_file.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/strings.hpp"

namespace metadata {

namespace {

constexpr std::int64_t kPaddingStep = 2048;
constexpr std::int64_t kMaxTagSize = 0x0FFFFFFF;  // the largest syncsafe size

// The identifier as written: its first four characters, upper case. One that
// is shorter, or holds anything but A-Z and 0-9, cannot be written.
std::string writtenId(const std::string& id) {
    std::vector<char32_t> cps = runtime::ToCodePoints(id);
    if (cps.size() < 4) RaiseId3v2(runtime::err::InvalidProcedureCall, "Frame identifier \"" + id + "\" is too short");
    std::string out;
    for (std::size_t i = 0; i < 4; ++i) {
        char32_t c = cps[i];
        if (c >= 'a' && c <= 'z') c = c - 'a' + 'A';
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            RaiseId3v2(runtime::err::InvalidProcedureCall, "Frame identifier \"" + id + "\" cannot be written");
        out += static_cast<char>(c);
    }
    return out;
}

std::string tagHeader(std::int64_t size) {
    std::string h("ID3\x03\x00\x00", 6);
    id3v2::putSyncsafe32(h, static_cast<std::uint32_t>(size));
    return h;
}

// Copies bytes [from, to) of the open file `fd` to the end of `out`: in the
// kernel where it can, else through a buffer.
void copyRange(int fd, std::int64_t from, std::int64_t to, runtime::AtomicFile& out, const std::string& path) {
    bool inKernel = true;
    std::string buffer;
    while (from < to) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(1 << 24, to - from));
        ssize_t n;
        if (inKernel) {
            off_t offset = static_cast<off_t>(from);
            n = ::copy_file_range(fd, &offset, out.descriptor(), nullptr, want, 0);
            if (n < 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
        } else {
            buffer.resize(std::min<std::size_t>(want, 1 << 20));
            n = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(from));
            if (n > 0) out.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw runtime::fileError(errno, path);
        if (n == 0) throw runtime::Error(runtime::err::InputPastEndOfFile);  // the file shrank under us
        from += n;
    }
}

}  // namespace

void cMP3ID3v2::Update() { Update(GrownFileEnding{}); }

void cMP3ID3v2::Update(const GrownFileEnding& ending) {
    try {
        SaveTag(ending);
    } catch (const runtime::Error& e) {
        throw Id3v2Error(e);
    }
}

void cMP3ID3v2::SaveTag(const GrownFileEnding& ending) {
    if (!store_) RaiseId3v2(runtime::err::ObjectVariableNotSet);
    // A tag that could not be read is not replaced by what little was read.
    if (loadError_) {
        if (loadError_->number() != 0) throw *loadError_;
        RaiseId3v2(runtime::err::PathFileAccessError);
    }

    // The frames, built before the file is touched.
    std::string frames;
    for (const Store::Entry& entry : store_->entries) {
        if (entry.id.find("ID3") != std::string::npos) continue;
        const std::string id = writtenId(entry.id);
        for (const Store::Value& value : entry.values) {
            std::optional<std::string> frame =
                value.raw ? id3v2::frameFromRaw(id, *value.raw) : id3v2::frameFromValue(id, value.text);
            if (frame) frames += *frame;
        }
    }
    // Header, frames and four zero bytes of end marker.
    const std::int64_t built = 10 + static_cast<std::int64_t>(frames.size()) + 4;

    // The open below would create a missing file; a tag is never written into
    // a file that was not there.
    if (!runtime::FileExists(path_)) RaiseId3v2(runtime::err::FileNotFound);
    detail::NumberedFile file(path_, runtime::Access::ReadWrite, runtime::Lock::Write);
    file.requireFile(file_);
    const std::int64_t fileSize = file.length();
    if (fileSize == 0) RaiseId3v2(runtime::err::InputPastEndOfFile, "The file is empty");
    ReadAt read = [&](std::int64_t offset, std::size_t count) { return file.read(offset, count); };
    const std::optional<Id3v2Header> old = ReadId3v2Header(read, fileSize);
    const std::int64_t oldExtent = old ? std::min(old->extent, fileSize) : 0;

    if (old && built < oldExtent) {
        // In place: the old tag's bytes, and only those, are rewritten; what
        // the frames leave free is zeroed.
        if (oldExtent - 10 > kMaxTagSize) RaiseId3v2(runtime::err::Overflow);
        std::string tag = tagHeader(oldExtent - 10);
        tag += frames;
        tag.resize(static_cast<std::size_t>(oldExtent), '\0');
        file.write(0, tag);
        return;
    }

    // Grown or new: the next multiple of 2048 above the built length, written
    // with the audio into a new file beside the old one, which replaces it.
    const std::int64_t total = (built / kPaddingStep + 1) * kPaddingStep;
    if (total - 10 > kMaxTagSize) RaiseId3v2(runtime::err::Overflow, "The tag is too large");
    std::string tag = tagHeader(total - 10);
    tag += frames;
    tag.resize(static_cast<std::size_t>(total), '\0');

    // The new file: the tag, then the old file's bytes after its old tag,
    // less the last ones the ending takes the place of.
    const std::int64_t newLength = total + (fileSize - oldExtent);
    FileEnding end;
    if (ending) {
        ReadAt readNew = [&](std::int64_t offset, std::size_t count) {
            std::string out;
            if (offset < 0 || offset >= newLength) return out;
            if (offset < total) out = tag.substr(static_cast<std::size_t>(offset), count);
            if (out.size() < count) {
                const std::int64_t from = std::max(offset, total) - total + oldExtent;
                out += file.read(from, count - out.size());
            }
            return out;
        };
        end = ending(newLength, readNew);
        if (end.replaced < 0 || end.replaced > newLength) RaiseId3v2(runtime::err::InvalidProcedureCall);
    }
    const std::int64_t kept = newLength - end.replaced;
    const std::string target = runtime::Files().PathOf(file.number());
    runtime::AtomicFile out(target);
    out.replaceOnly(file.identity());
    out.write(std::string_view(tag).substr(0, static_cast<std::size_t>(std::min(total, kept))));
    if (kept > total)
        copyRange(runtime::Files().Descriptor(file.number()), oldExtent, oldExtent + (kept - total), out, target);
    out.write(end.bytes);
    out.commit();
    file_ = out.committedIdentity();  // the new file is the one the object stands for now
}

}  // namespace metadata
