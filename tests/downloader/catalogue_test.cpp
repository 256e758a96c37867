#include "downloader/catalogue.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "runtime/strings.hpp"

namespace {

enum class Kind { Separator, Header, Blank, Title };

struct Expect {
    int build;
    int lines, groups, titles, separators, blanks;
    int minPerGroup, maxPerGroup;
    const char* order;  // the kinds' sequence as a pattern: S separator, H header, B blank, T titles
};

const Expect kBuilds[] = {
    {1, 1181, 60, 1000, 61, 60, 6, 73, "S(HBT+S)+"},
    {2, 1138, 46, 1000, 46, 46, 1, 55, "(SHBT+)+"},
    {3, 1172, 52, 1017, 51, 52, 5, 60, "HBT+(SHBT+)+"},
};

constexpr char32_t kNbsp = 0xA0;

Kind kindOf(const std::u32string& line) {
    if (line == std::u32string(74, U'-')) return Kind::Separator;
    if (line == U"  ") return Kind::Blank;
    if (!line.empty() && line[0] >= U'0' && line[0] <= U'9') return Kind::Title;
    return Kind::Header;
}

std::u32string decode(const std::string& s) {
    auto cps = runtime::ToCodePoints(s);
    return std::u32string(cps.begin(), cps.end());
}

// The kinds as letters, with each run of titles folded into one "T".
std::string shape(const std::vector<Kind>& kinds) {
    std::string s;
    for (Kind k : kinds) {
        char c = k == Kind::Separator ? 'S' : k == Kind::Header ? 'H' : k == Kind::Blank ? 'B' : 'T';
        if (c == 'T' && !s.empty() && s.back() == 'T') continue;
        s += c;
    }
    return s;
}

// The order pattern is one of three fixed forms; match it by hand.
bool matchesOrder(const std::string& s, const std::string& order) {
    std::string groups = s;
    if (order == "S(HBT+S)+") {
        if (groups.empty() || groups[0] != 'S') return false;
        groups.erase(0, 1);
        for (std::size_t i = 0; i < groups.size(); i += 4)
            if (groups.compare(i, 4, "HBTS") != 0) return false;
        return groups.size() % 4 == 0 && !groups.empty();
    }
    if (order == "(SHBT+)+") {
        for (std::size_t i = 0; i < groups.size(); i += 4)
            if (groups.compare(i, 4, "SHBT") != 0) return false;
        return groups.size() % 4 == 0 && !groups.empty();
    }
    if (groups.compare(0, 3, "HBT") != 0) return false;
    groups.erase(0, 3);
    for (std::size_t i = 0; i < groups.size(); i += 4)
        if (groups.compare(i, 4, "SHBT") != 0) return false;
    return groups.size() % 4 == 0;
}

}  // namespace

TEST(Catalogue, EveryBuildKeepsItsCountsOrderAndLineForms) {
    for (const Expect& e : kBuilds) {
        SCOPED_TRACE("Songhaul" + std::to_string(e.build));
        const auto& lines = downloader::catalogue(e.build);
        ASSERT_EQ(static_cast<int>(lines.size()), e.lines);

        std::vector<Kind> kinds;
        std::map<Kind, int> count;
        std::vector<int> perGroup;
        int nextNumber = 0;
        int nbspAfterNumber = 0, twoBlanksAfterNumber = 0, headersWithDigit = 0, nbspInHeaders = 0;
        int endsWithBlank = 0, slashes = 0, questions = 0, windowsForbidden = 0, beyondAscii = 0;
        for (const auto& raw : lines) {
            ASSERT_TRUE(runtime::IsValidUtf8(raw)) << raw;
            std::u32string line = decode(raw);
            Kind k = kindOf(line);
            kinds.push_back(k);
            ++count[k];
            for (char32_t c : line) {
                EXPECT_LE(c, 0xFFu) << "Latin-1 only: " << raw;
                EXPECT_GE(c, 0x20u) << "no control characters: " << raw;
                if (c > 0x7F) ++beyondAscii;
                if (c == U'/') ++slashes;
                if (c == U'?') ++questions;
                if (std::u32string(U"\\/:*?\"<>|").find(c) != std::u32string::npos) ++windowsForbidden;
            }
            if (k != Kind::Blank && line.back() == U' ') ++endsWithBlank;
            switch (k) {
            case Kind::Separator: break;
            case Kind::Blank: break;
            case Kind::Header: {
                EXPECT_GE(line.size(), 5u) << raw;
                EXPECT_LE(line.size(), 50u) << raw;
                std::size_t lead = line.find_first_not_of(U' ');
                EXPECT_TRUE(lead == 2 || lead == 3) << "two or three leading blanks: [" << raw << "]";
                if (lead != std::u32string::npos && line[lead] >= U'0' && line[lead] <= U'9') ++headersWithDigit;
                if (line.find(kNbsp) != std::u32string::npos) ++nbspInHeaders;
                perGroup.push_back(0);
                nextNumber = 1;
                break;
            }
            case Kind::Title: {
                EXPECT_GE(line.size(), 4u) << raw;
                EXPECT_LE(line.size(), 61u) << raw;
                std::size_t digits = 0;
                while (digits < line.size() && line[digits] >= U'0' && line[digits] <= U'9') ++digits;
                EXPECT_EQ(std::stoi(raw.substr(0, digits)), nextNumber) << "numbered without gaps: " << raw;
                EXPECT_NE(line[0], U'0') << "no leading zeros: " << raw;
                ++nextNumber;
                ASSERT_FALSE(perGroup.empty()) << "a title before any header";
                ++perGroup.back();
                ASSERT_LT(digits + 1, line.size());
                if (line[digits] == kNbsp) {
                    ++nbspAfterNumber;
                } else {
                    EXPECT_EQ(line[digits], U' ') << raw;
                    if (line[digits + 1] == U' ') ++twoBlanksAfterNumber;
                }
                break;
            }
            }
        }
        EXPECT_EQ(count[Kind::Header], e.groups);
        EXPECT_EQ(count[Kind::Title], e.titles);
        EXPECT_EQ(count[Kind::Separator], e.separators);
        EXPECT_EQ(count[Kind::Blank], e.blanks);
        EXPECT_TRUE(matchesOrder(shape(kinds), e.order)) << shape(kinds);
        for (std::size_t i = 0; i + 1 < kinds.size(); ++i) {
            if (kinds[i] == Kind::Header) {
                EXPECT_EQ(kinds[i + 1], Kind::Blank) << "a blank line after each header";
            }
        }
        EXPECT_EQ(*std::min_element(perGroup.begin(), perGroup.end()), e.minPerGroup);
        EXPECT_EQ(*std::max_element(perGroup.begin(), perGroup.end()), e.maxPerGroup);

        // Exactly one title line occurs twice.
        std::map<std::string, int> seen;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (kinds[i] == Kind::Title || kinds[i] == Kind::Header) ++seen[lines[i]];
        int twice = 0;
        for (auto& [text, n] : seen) {
            EXPECT_LE(n, 2) << text;
            if (n == 2) ++twice;
        }
        EXPECT_EQ(twice, 1);

        EXPECT_GT(endsWithBlank, 0) << "a few lines end with a blank";
        EXPECT_GT(beyondAscii, 0) << "accented letters, signs and no-break spaces";
        EXPECT_GT(nbspInHeaders, 0);
        if (e.build == 1) {
            EXPECT_EQ(nbspAfterNumber, 3);
            EXPECT_EQ(twoBlanksAfterNumber, 1);
            EXPECT_EQ(headersWithDigit, 1);
            EXPECT_EQ(slashes, 4);
            EXPECT_EQ(questions, 1);
        } else {
            EXPECT_EQ(nbspAfterNumber, 0);
            EXPECT_EQ(twoBlanksAfterNumber, 0);
            EXPECT_EQ(windowsForbidden, 0) << "every line can name a file on the original platform";
            EXPECT_EQ(headersWithDigit, e.build == 3 ? 1 : 0);
        }
        if (e.build == 3) {
            std::u32string first = decode(lines[0]);
            EXPECT_TRUE(first[first.find_first_not_of(U' ')] >= U'0' && first[first.find_first_not_of(U' ')] <= U'9')
                << "the first header begins with a digit";
        }
    }
}

TEST(Catalogue, LongestLineIsASeparatorAndBuildsAreTheirOwn) {
    for (int b = 1; b <= 3; ++b) {
        std::size_t longest = 0;
        for (auto& l : downloader::catalogue(b)) longest = std::max<std::size_t>(longest, runtime::Len(l));
        EXPECT_EQ(longest, 74u);
    }
    EXPECT_NE(downloader::catalogue(1), downloader::catalogue(2));
    EXPECT_NE(downloader::catalogue(2), downloader::catalogue(3));
}

TEST(BuildTraits, TheDifferencesBetweenTheBuilds) {
    const auto& one = downloader::buildTraits(1);
    const auto& two = downloader::buildTraits(2);
    const auto& three = downloader::buildTraits(3);
    EXPECT_STREQ(one.caption, "Songhaul1");
    EXPECT_STREQ(two.caption, "Songhaul2");
    EXPECT_STREQ(three.caption, "Songhaul3");
    EXPECT_TRUE(one.fixedSize && one.countMessage);
    EXPECT_FALSE(two.fixedSize || two.countMessage || three.fixedSize || three.countMessage);
    EXPECT_EQ(one.clientWidth, 11280);
    EXPECT_EQ(two.clientWidth, 11265);
    EXPECT_EQ(three.clientWidth, 11265);
    EXPECT_EQ(one.shiftLeft, 0);
    EXPECT_EQ(two.shiftLeft, 120);
    EXPECT_EQ(three.shiftLeft, 120);
    EXPECT_TRUE(two.downloadFirstInTab);
    EXPECT_FALSE(one.downloadFirstInTab || three.downloadFirstInTab);
}
