#include "options/frmTestControls.hpp"

#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/settings.hpp"

namespace options {

frmTestControls::frmTestControls()
    : forms::Form("frmTestControls"),
      Label6(*this, "Label6"), Label7(*this, "Label7"), Label10(*this, "Label10"),
      Picture1(*this, "Picture1"), Picture2(*this, "Picture2"), Picture3(*this, "Picture3"),
      Picture4(*this, "Picture4"), Picture5(*this, "Picture5"), Picture7(*this, "Picture7"),
      Fade(Picture1, "Fade"), Mp3(Picture2, "Mp3"), Wma(Picture2, "Wma"), Wav(Picture2, "Wav"),
      Mid(Picture2, "Mid"), RM(Picture2, "RM"), M3u(Picture2, "M3u") {
    setCaption("Player Options");
    setBorderStyle(forms::BorderStyle::FixedToolWindow);
    setClientSize(10035, 5985);

    forms::Font side;
    side.name = "Tahoma";
    side.size = 9.75f;
    const std::pair<forms::Label*, std::pair<const char*, float>> labels[] = {
        {&Label6, {"Main Player", 990}}, {&Label7, {"Help", 3170}}, {&Label10, {"About Korvane M..", 4220}}};
    for (auto& [label, design] : labels) {
        label->setRectTwips(840, design.second, 1500, 285);
        label->setCaption(design.first);
        label->setFont(side);
    }
    Label6.setFontBold(true);

    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5, &Picture7}) {
        p->setRectTwips(0, p == &Picture7 ? 600 : 480, 5655, 4275);
        p->setVisible(p == &Picture1);
    }
    Fade.setRectTwips(240, 720, 255, 255);
    const std::pair<forms::CheckBox*, float> types[] = {{&Mp3, 720}, {&Wma, 1080}, {&Wav, 1440},
                                                        {&Mid, 1800}, {&RM, 2160}, {&M3u, 2520}};
    for (auto& [box, top] : types) box->setRectTwips(240, top, 255, 255);
}

frmTestControls::~frmTestControls() = default;

void frmTestControls::Form_Load() {
    runtime::Steps step;
    const std::pair<forms::CheckBox*, const char*> boxes[] = {{&Fade, "Fade"}, {&Mp3, "Mp3"}, {&Wma, "Wma"},
                                                              {&Wav, "Wav"},   {&Mid, "Mid"}, {&RM, "RM"},
                                                              {&M3u, "M3u"}};
    for (auto& [box, key] : boxes)
        step([&, box = box, key = key] {
            box->setValue(runtime::CInt(
                runtime::GetSetting(runtime::App::Path(), " setting", key, runtime::CStr(box->value()))));
        });
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5, &Picture7})
        step([&] { p->setLeft(2880); });
}

}  // namespace options
