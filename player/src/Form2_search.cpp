// The search box under the playlist: typing selects the first line that
// begins with the typed text (letter case ignored), found by halving the
// sorted List2; Enter hides the box and plays the entry.

#include "player/Form2.hpp"

#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace player {

void Form2::Text1_Change() {
    runtime::Steps step;
    step([&] { setKeyPreview(false); });
    // Only while a control with Text1's Tag (empty) is active; with no control
    // active (text set by code before anything had the focus) the search runs.
    if (activeControl() && activeControl()->tag() != Text1.tag()) return;
    std::string key = runtime::UCase(Text1.text());
    // While the builder lists the playlist, the key goes on selecting among
    // the lines still to come (Timer3_Timer asks again after each slice).
    if (key.empty() || !Timer3.enabled())
        searchFollowed_.reset();
    else
        searchFollowed_ = key;
    if (key.empty()) return;
    long found = -1;
    step([&] { found = FindLine(key); });
    if (found >= 0) step([&] { List2.setListIndex(found); });
}

long Form2::FindLine(const std::string& key) const {
    long count = List2.listCount();
    if (key.empty() || count == 0) return -1;
    long keyLength = runtime::Len(key);
    auto prefix = [&](long i) { return runtime::UCase(runtime::Left(List2.list(i), keyLength)); };
    // The list keeps the order this comparison uses (upper case, by
    // character code), so equal prefixes moving hi down end on the first
    // line that begins with the key. Full-width indexes: no line limit.
    long lo = 0, hi = count - 1;
    while (lo + 1 != hi && lo != hi) {
        long mid = lo + (hi - lo + 1) / 2;
        if (prefix(mid) < key)
            lo = mid;
        else
            hi = mid;
    }
    return prefix(lo) == key ? lo : prefix(hi) == key ? hi : -1;
}

void Form2::FollowSearch() {
    if (!searchFollowed_) return;
    if (!Text1.visible() || runtime::UCase(Text1.text()) != *searchFollowed_) {
        searchFollowed_.reset();  // Enter, F3 or other text ended it
        return;
    }
    runtime::Steps step;
    long found = -1;
    step([&] { found = FindLine(*searchFollowed_); });
    // The line selected already is not selected again (its click would run anew).
    if (found >= 0 && found != List2.listIndex()) step([&] { List2.setListIndex(found); });
}

// A click empties the box (and so searches nothing).
void Form2::Text1_Click() {
    runtime::Steps step;
    step([&] { Text1.setText(""); });
}

void Form2::Text1_GotFocus() { setKeyPreview(false); }
void Form2::Text1_LostFocus() { setKeyPreview(false); }

void Form2::Text1_KeyPress(int& KeyAscii) {
    runtime::Steps step;
    if (KeyAscii == 13) {
        step([&] { Text1.setVisible(false); });
        step([&] { mnupopupplay_Click(); });
    }
    step([&] { pic(); });
    step([&] { setKeyPreview(false); });
}

void Form2::mnusearch_Click() {
    runtime::Steps step;
    if (Text1.visible()) {
        step([&] { Text1.setVisible(false); });
        return;
    }
    step([&] { Text1.setVisible(true); });
    step([&] { Text1.setText(""); });
    step([&] { Text1.setFocus(); });
}

}  // namespace player
