#include "forms/event.hpp"

#include "runtime/error.hpp"

namespace forms {

bool DataObject::GetFormat(int format) const {
    if (format == vbCFFiles) return !files_.empty();
    if (format == vbCFText) return !text_.empty();
    return false;
}

std::string DataObject::file(long i) const {
    if (i < 1 || i > filesCount()) runtime::raise(runtime::err::SubscriptOutOfRange, "Files");
    return files_[static_cast<std::size_t>(i - 1)];
}

}  // namespace forms
