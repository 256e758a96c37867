#include "tageditor/Form1.hpp"

#include "player/Form2.hpp"
#include "player/shape.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"

namespace tageditor {

Form1::Form1() : forms::Form("Form1"), txtpath(*this, "txtpath"), Timer1(*this, "Timer1") {
    setCaption("Tag Editor");
    setBorderStyle(forms::BorderStyle::None);
    setClientSize(9000, 7200);
    txtpath.setRectTwips(240, 240, 6000, 315);
    Timer1.setInterval(1);
    Timer1.setEnabled(false);
    Timer1.Tick = [this] { Timer1_Timer(); };
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    runtime::Steps step;
    step([&] { player::ShapeWindow(*this, runtime::App::Path() + "/3.kmf"); });
    step([&] { setIcon(forms::Get<player::Form2>().icon()); });
}

// Reading the file into the editor's fields comes with the editor itself;
// one switch-on still ticks once.
void Form1::Timer1_Timer() { Timer1.setEnabled(false); }

}  // namespace tageditor
