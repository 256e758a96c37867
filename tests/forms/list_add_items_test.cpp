// A list filled at once holds what the same texts added one by one give:
// the same order (equal lines in the order added), the same current line and
// the same NewIndex.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "runtime/strings.hpp"

namespace {

struct Lists : forms::Form {
    forms::ListBox One{*this, "One"};
    forms::ListBox Many{*this, "Many"};
    Lists() : Form("Lists") {}
};

std::vector<std::string> itemsOf(const forms::ListBox& l) {
    std::vector<std::string> v;
    for (long i = 0; i < l.listCount(); ++i) v.push_back(l.list(i));
    return v;
}

TEST(ListAddItems, SameAsAddingOneByOne) {
    forms::TestEnvironment env;
    std::mt19937 rng(7);
    const char* words[] = {"abba", "Abba", "beatles", "Bee Gees", "b", "", "zz top", "10cc", "äsop"};
    for (bool sorted : {true, false})
        for (int round = 0; round < 40; ++round) {
            Lists f;
            f.One.setSorted(sorted);
            f.Many.setSorted(sorted);
            f.load();
            std::vector<std::string> first, second;
            for (int i = 0; i < round % 7; ++i) first.push_back(words[rng() % 9] + std::to_string(rng() % 3));
            for (int i = 0; i < round; ++i) second.push_back(words[rng() % 9] + std::to_string(rng() % 3));
            for (auto& t : first) {
                f.One.addItem(t);
                f.Many.addItem(t);
            }
            if (!first.empty()) {
                long cur = static_cast<long>(rng() % first.size());
                f.One.setListIndex(cur);
                f.Many.setListIndex(cur);
            }
            for (auto& t : second) f.One.addItem(t);
            f.Many.addItems(second);
            ASSERT_EQ(itemsOf(f.Many), itemsOf(f.One)) << sorted << " " << round;
            EXPECT_EQ(f.Many.listIndex(), f.One.listIndex()) << sorted << " " << round;
            if (!second.empty()) {
                EXPECT_EQ(f.Many.newIndex(), f.One.newIndex()) << sorted << " " << round;
            }
        }
}

TEST(ListCompare, AgreesWithUpperCasedText) {
    std::mt19937 rng(11);
    const std::string pieces[] = {"a", "A", "z", "Z", "0", " ", "~", "\x7f", "é", "É", "ß", "ä", "Ä", "[", "_", "-"};
    for (int round = 0; round < 5000; ++round) {
        std::string a, b;
        for (unsigned i = rng() % 5; i > 0; --i) a += pieces[rng() % 16];
        b = rng() % 3 == 0 ? a : std::string();
        for (unsigned i = rng() % 5; i > 0; --i) b += pieces[rng() % 16];
        int want = runtime::UCase(a).compare(runtime::UCase(b));
        want = want < 0 ? -1 : want > 0 ? 1 : 0;
        ASSERT_EQ(forms::listCompare(a, b), want) << a << " | " << b;
    }
}

}  // namespace
