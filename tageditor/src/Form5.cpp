#include "tageditor/Form5.hpp"

#include "player/Form2.hpp"
#include "player/shape.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace tageditor {

Form5::Form5() : forms::Form("Form5"), Text3(*this, "Text3"), Text2(*this, "Text2"), Text1(*this, "Text1") {
    setCaption("Rename File");
    setBorderStyle(forms::BorderStyle::None);
    setClientSize(4530, 7410);
    Text3.setRectTwips(1350, 3960, 2715, 315);
    Text3.setLocked(true);
    Text2.setRectTwips(1350, 4320, 2715, 315);
    Text2.setLocked(true);
    Text1.setRectTwips(1350, 4680, 2715, 315);
    Text1.setLocked(true);
}

Form5::~Form5() = default;

void Form5::Form_Load() {
    runtime::Steps step;
    step([&] { player::ShapeWindow(*this, runtime::App::Path() + "/2.kmf"); });
    step([&] { setIcon(forms::Get<player::Form2>().icon()); });
    step([&] {
        std::string path = forms::Get<player::Form2>().lstFiles.text();
        Text3.setText(path);
        auto slash = path.rfind('/');
        Text2.setText(slash == std::string::npos ? path : path.substr(slash + 1));
        Text1.setText(slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
    });
}

}  // namespace tageditor
