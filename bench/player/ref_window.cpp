// The reference the player's start is measured against: one form shaped
// from the program folder's "New2.kmf", shown through the same Qt start, with
// no media control and no other window.

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/shape.hpp"
#include "runtime/app.hpp"

namespace {

struct Reference : forms::Form {
    forms::Menu mnupopup{*this, "mnupopup", "mnupopup"};
    Reference() : Form("Reference") {
        setCaption("Reference");
        setClientSize(4080, 7290);
        move(1000, 1000);
    }
    void Form_Load() override { player::ShapeWindow(*this, runtime::App::Path() + "/New2.kmf"); }
};

}  // namespace

int main(int argc, char** argv) {
    runtime::App::init(argc, argv);

    return formsqt::run(argc, argv, [] { forms::Get<Reference>().show(); });
}
