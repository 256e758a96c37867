// The program's start-up procedure.

#include "player/mMain.hpp"

#include "forms/application.hpp"
#include "player/Form2.hpp"

namespace player::mMain {

void Main() {
    // The common controls need no initialisation here: every control kind
    // the windows use is always available.
    forms::Get<Form2>().show();
}

}  // namespace player::mMain
