#pragma once
// Writing both tags of one file, as "Update" and Multi Tag do, so that a
// write that fails leaves the file as it was or is known to have changed it.
//
// When the ID3v2 tag must grow, it rewrites the whole file beside itself, and
// that new file gets the ID3v1 record too before it is renamed into place:
// a failure (a full disk) or a crash at any step leaves the file wholly as it
// was or wholly new, both tags. A tag that fits in place is written first and
// the ID3v1 record after it, so a failure of the record alone leaves the new
// ID3v2 tag, and says so. Each tag object writes only into the file it read; a
// grown ID3v2 tag puts a new file at the path, which the ID3v1 object then
// takes as its own when it had read the same file.

#include <string>

#include "metadata/cmp3id3v1.hpp"
#include "metadata/cmp3id3v2.hpp"

namespace tageditor {

struct TagWrite {
    bool id3v2 = false;   // the ID3v2 tag was written
    bool id3v1 = false;   // and then the ID3v1 tag
    std::string failure;  // why the first tag not written was not; empty when both were
};

TagWrite WriteBothTags(metadata::cMP3ID3v1& v1, metadata::cMP3ID3v2& v2);

}  // namespace tageditor
