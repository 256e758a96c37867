#include "tageditor/tag_write.hpp"

#include "runtime/error.hpp"

namespace tageditor {

TagWrite WriteBothTags(metadata::cMP3ID3v1& v1, metadata::cMP3ID3v2& v2) {
    TagWrite w;
    const std::optional<runtime::FileIdentity> read = v2.fileIdentity();
    // When both objects read the same file and the ID3v2 tag grows into a new
    // one, that file gets its ID3v1 record before it is renamed into place.
    const bool together = read && v1.fileIdentity() == read;
    bool id3v1InNewFile = false;
    try {
        if (together) {
            v2.Update([&](std::int64_t length, const metadata::ReadAt& bytes) {
                metadata::FileEnding record = v1.RecordFor(length, bytes);
                id3v1InNewFile = true;
                return record;
            });
        } else {
            v2.Update();
        }
    } catch (const runtime::Error& e) {
        w.failure = e.description();
        return w;
    }
    w.id3v2 = true;
    if (together) v1.setFileIdentity(v2.fileIdentity());
    if (!id3v1InNewFile) {
        try {
            v1.Update();
        } catch (const runtime::Error& e) {
            w.failure = e.description();
            return w;
        }
    }
    w.id3v1 = true;
    return w;
}

}  // namespace tageditor
