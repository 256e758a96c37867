#include "options/windows.hpp"

#include "forms/application.hpp"
#include "options/Contact.hpp"
#include "options/frmTestControls.hpp"
#include "runtime/error.hpp"

namespace options {

int OptionsWindows::optionsFade() { return forms::Get<frmTestControls>().Fade.value(); }

void OptionsWindows::setOptionsPanelVisible(int panel, bool visible) {
    auto& f = forms::Get<frmTestControls>();
    forms::PictureBox* pages[] = {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4,
                                  &f.Picture5, nullptr,     &f.Picture7};
    if (panel < 1 || panel > 7 || !pages[panel - 1]) runtime::raise(438, "frmTestControls", "Object doesn't support this property or method");
    pages[panel - 1]->setVisible(visible);
}

void OptionsWindows::setOptionsLabelBold(int label, bool bold) {
    auto& f = forms::Get<frmTestControls>();
    forms::Label* l = label == 6 ? &f.Label6 : label == 7 ? &f.Label7 : label == 10 ? &f.Label10 : nullptr;
    if (!l) runtime::raise(438, "frmTestControls", "Object doesn't support this property or method");
    l->setFontBold(bold);
}

void OptionsWindows::showOptions() { forms::Get<frmTestControls>().show(); }
void OptionsWindows::unloadOptions() { forms::Unload<frmTestControls>(); }
void OptionsWindows::showContact() { forms::Get<Contact>().show(); }

}  // namespace options
