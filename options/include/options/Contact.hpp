#pragma once
// The contact window: writes a feedback mail. It closes only by its own Exit
// button, so while it is open the program keeps running.

#include "forms/forms.hpp"

namespace options {

class Contact : public forms::Form {
public:
    Contact();
    ~Contact() override;

    // ---- kind of message, and the window's own close ----
    forms::ComboBox Combo1;
    forms::CommandButton Command2;

    void Form_Load() override;
    void Command2_Click();
};

}  // namespace options
