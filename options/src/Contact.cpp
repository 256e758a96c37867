#include "options/Contact.hpp"

#include "player/Form2.hpp"
#include "runtime/error.hpp"

namespace options {

Contact::Contact() : forms::Form("Contact"), Combo1(*this, "Combo1"), Command2(*this, "Command2") {
    setCaption("Contact Us");
    setBorderStyle(forms::BorderStyle::FixedDialog);
    setMinButton(false);
    setMaxButton(false);
    setClientSize(4755, 6270);
    Combo1.setRectTwips(960, 360, 3615, 315);
    Combo1.setStyle(2);
    Command2.setRectTwips(2640, 5760, 1575, 375);
    Command2.setCaption("Exit");
    Command2.Click = [this] { Command2_Click(); };
}

Contact::~Contact() = default;

void Contact::Form_Load() {
    runtime::Steps step;
    step([&] { setIcon(forms::Get<player::Form2>().icon()); });
    for (const char* kind : {"Bug Report", "Song Request", "Question", "Comments"}) Combo1.addItem(kind);
}

void Contact::Command2_Click() { unload(); }

}  // namespace options
