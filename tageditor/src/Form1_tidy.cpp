// The tidy run that Update starts, the rating stars, the ID3v1 length meter
// and the copyright sign.
//
// Neither timer touches what the user types at the front of the comment and
// lyrics boxes, and the end of a run reads no rating from the comment: the
// boxes show their frames' texts alone, with no language field in front, and
// the loader takes the rating digit off the stored comment once, when it
// fills the boxes. A comment such as "80s hits" or "english lyrics" therefore
// stays as typed; one typed as "5 stars" stays text in the open window, and
// loaded again its digit is the rating, as every stored comment's is.

#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"
#include "tageditor/Form1.hpp"

namespace tageditor {

namespace {

constexpr long kTidyTicks = 100;
constexpr long kId3v1Space = 127;

// Removes one trailing blank.
void trimOneBlank(forms::TextBox& box) {
    const std::string& t = box.text();
    if (!t.empty() && t.back() == ' ') box.setText(t.substr(0, t.size() - 1));
}

// Shows the stars (or heads) of the rating that Combo2's text names, compared
// exactly; every other text hides them all.
void applyStars(Form1& f) {
    struct Row {
        const char* rating;
        bool shown[7];  // Star1 .. Star5, Head1, Head2
    };
    static const Row table[] = {
        {"Excellent", {true, true, true, true, true, false, false}},
        {"Very Good", {true, true, true, true, false, false, false}},
        {"Good", {true, true, true, false, false, false, false}},
        {"Fair", {true, true, false, false, false, false, false}},
        {"Poor", {true, false, false, false, false, false, false}},
        {"Bad Taste", {false, false, false, false, false, true, true}},
    };
    static const bool none[7] = {};
    const bool* shown = none;
    for (const Row& r : table)
        if (f.Combo2.text() == r.rating) shown = r.shown;
    forms::Image* pictures[] = {&f.Star1, &f.Star2, &f.Star3, &f.Star4, &f.Star5, &f.Head1, &f.Head2};
    runtime::Steps step;
    for (int i = 0; i < 7; ++i) step([&] { pictures[i]->setVisible(shown[i]); });
}

}  // namespace

void Form1::Timer2_Timer() {
    runtime::Steps step;
    for (forms::TextBox* t : {&txtTitle, &txtartist, &txtalbum, &txtComments}) step([&] { trimOneBlank(*t); });
    step([&] { pr1.setMax(static_cast<float>(kTidyTicks)); });
    step([&] { pr1.setValue(pr1.value() + 1); });  // past the maximum is refused: it stays at 100
    step([&] { Label2.setCaption(runtime::CStr(static_cast<long>(pr1.value())) + "%"); });
    if (pr1.value() != pr1.max()) return;
    step([&] { Timer2.setEnabled(false); });
    step([&] { Label2.setCaption("Updated"); });
    step([&] { applyStars(*this); });
}

void Form1::Timer3_Timer() {
    runtime::Steps step;
    long count = 0;
    step([&] {
        for (const std::string* t : {&txtTitle.text(), &txtartist.text(), &txtalbum.text(), &txtComments.text(),
                                     &txtYear.text(), &Combo1.text()})
            count += runtime::Len(*t);
    });
    step([&] { p1.setMax(static_cast<float>(kId3v1Space)); });
    step([&] { p1.setValue(static_cast<float>(count)); });  // above 127 is refused: the bar keeps its value
    step([&] { Label3.setCaption(runtime::CStr(static_cast<long>(p1.value())) + " of 127"); });
}

void Form1::Combo2_Click() {
    runtime::Steps step;
    step([&] { applyStars(*this); });
}

void Form1::txtCopyright_LostFocus() {
    runtime::Steps step;
    step([&] {
        const std::string t = txtCopyright.text();
        if (t.empty() || runtime::Left(t, 1) == "\u00A9") return;
        txtCopyright.setText("\u00A9 " + t);
    });
}

}  // namespace tageditor
