// A reference for the player's idle load: two forms::Timer controls of 1 ms
// with nothing to do, on one loaded form, through the same Qt start as the
// player: the floor of the platform layer (its short timers slowed down as
// far as they go).

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "runtime/app.hpp"

namespace {

struct IdleTimers : forms::Form {
    forms::Timer Timer1{*this, "Timer1"};
    forms::Timer Timer2{*this, "Timer2"};
    IdleTimers() : Form("IdleTimers") {
        for (forms::Timer* t : {&Timer1, &Timer2}) {
            t->setInterval(1);
            t->setEnabled(true);
            t->Tick = [] {};
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    runtime::App::init(argc, argv);
    return formsqt::run(argc, argv, [] { forms::Get<IdleTimers>().load(); });
}
