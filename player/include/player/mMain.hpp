#pragma once
// The program's start-up: shows the main window, whose load does the rest.

namespace player::mMain {

void Main();

}  // namespace player::mMain
