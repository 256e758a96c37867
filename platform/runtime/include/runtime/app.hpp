#pragma once
// The App object, Command$ and Timer of the original runtime.

#include <string>
#include <vector>

namespace runtime {

namespace App {
// Called once from main(). The program folder is the running executable's
// folder, or DOVETUNE_APP_PATH when that is set; the title defaults to the
// executable's name.
void init(int argc, char** argv);
void setTitle(std::string title);
std::string Path();     // no trailing "/"
std::string Title();
std::string EXEName();  // the executable's file name
// For tests: set the program folder and arguments directly (the title goes
// back to its default). An empty path gives the folder back to
// DOVETUNE_APP_PATH and the executable.
void setForTest(std::string path, std::vector<std::string> args, std::string exeName = "dovetune");
}  // namespace App

// The arguments joined by one blank ("" without arguments).
std::string Command();
// Seconds since local midnight, with fractions, from the current scheduler's clock.
double Timer();

}  // namespace runtime
