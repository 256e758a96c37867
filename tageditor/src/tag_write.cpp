#include "tageditor/tag_write.hpp"

#include "runtime/error.hpp"

namespace tageditor {

TagWrite WriteBothTags(metadata::cMP3ID3v1& v1, metadata::cMP3ID3v2& v2) {
    TagWrite w;
    const std::optional<runtime::FileIdentity> read = v2.fileIdentity();
    try {
        v2.Update();
    } catch (const runtime::Error& e) {
        w.failure = e.description();
        return w;
    }
    w.id3v2 = true;
    if (v1.fileIdentity() == read) v1.setFileIdentity(v2.fileIdentity());
    try {
        v1.Update();
    } catch (const runtime::Error& e) {
        w.failure = e.description();
        return w;
    }
    w.id3v1 = true;
    return w;
}

}  // namespace tageditor
