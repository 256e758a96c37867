#pragma once
// The frame store of cMP3ID3v2: identifiers in the order of their first
// addition, each with its numbered values. A value is either text given
// through AddTag or a property setter, or a frame kept whole as it was read.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "id3v2_frame.hpp"
#include "metadata/cmp3id3v2.hpp"

namespace metadata {

struct cMP3ID3v2::Store {
    struct Value {
        std::string text;                      // a value as given
        std::optional<id3v2::RawFrame> raw;    // or the frame as read
    };
    struct Entry {
        std::string id;  // spelled as first added
        std::vector<Value> values;
    };

    std::vector<Entry> entries;
    std::unordered_map<std::string, std::size_t> index;  // upper-cased identifier -> entry

    Entry* find(std::string_view id);
    const Entry* find(std::string_view id) const;
    void add(std::string_view id, Value value);
    void erase(std::size_t position);
    void moveLast(std::size_t position);  // the entry at `position` to the end of the write order

    // The value of a COMM or USLT entry that the Comment or Lyrics property
    // stands for: the first that can be read and has no description,
    // whatever its language; its parts in `parts`.
    static std::optional<std::size_t> ownValue(const Entry& entry, id3v2::LangText* parts = nullptr);
};

// The source of every error the tag object raises.
std::string Id3v2ErrorSource();
// The same failure, with the tag object as its source.
runtime::Error Id3v2Error(const runtime::Error& e);
[[noreturn]] void RaiseId3v2(int number, std::string description = {});

}  // namespace metadata
