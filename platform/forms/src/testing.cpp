#include "forms/testing.hpp"

#include <sstream>

#include "forms/form.hpp"
#include "forms/menu.hpp"

namespace forms {

class RecordingPeer : public FormPeer {
public:
    RecordingPeer(RecordingBackend& b, Form& f) : b_(b), f_(f) {}

    void formChanged(FormProp what) override {
        std::ostringstream s;
        s << f_.name() << ' ';
        switch (what) {
            case FormProp::Visible: s << "visible " << f_.visible(); break;
            case FormProp::Opacity: s << "opacity " << f_.alpha(); break;
            case FormProp::Topmost: s << "topmost " << f_.topmost(); break;
            case FormProp::Region:
                s << "region " << (f_.region() ? static_cast<long>(f_.region()->rects().size()) : -1L);
                break;
            case FormProp::Geometry:
                s << "geometry " << f_.left() << ' ' << f_.top() << ' ' << f_.width() << ' ' << f_.height();
                break;
            case FormProp::WindowState: s << "state " << f_.windowState(); break;
            case FormProp::Caption: s << "caption " << f_.caption(); break;
            case FormProp::ZOrder: s << "front"; break;
            default: return;
        }
        b_.log_.push_back(s.str());
    }
    void controlAdded(Control&) override {}
    void controlRemoved(Control&) override {}
    void controlChanged(Control&, Prop) override {}
    void menusChanged() override {}
    void focusChanged(Control* c) override {
        b_.log_.push_back(f_.name() + " focus " + (c ? c->name() : std::string("-")));
    }
    Menu* popupMenu(Menu& menu) override {
        b_.log_.push_back(f_.name() + " popup " + menu.name());
        return b_.choosePopup ? b_.choosePopup(menu) : nullptr;
    }
    void beginSystemMove() override { b_.log_.push_back(f_.name() + " move"); }

private:
    RecordingBackend& b_;
    Form& f_;
};

std::unique_ptr<FormPeer> RecordingBackend::createPeer(Form& form) {
    return std::make_unique<RecordingPeer>(*this, form);
}

std::vector<std::string> RecordingBackend::lines(std::string_view prefix) const {
    std::vector<std::string> out;
    for (auto& l : log_)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

TestEnvironment::TestEnvironment() {
    Application::instance().reset();
    runtime::Scheduler::setCurrent(&scheduler);
    setDialogs(&dialogs);
    setClipboard(&clipboard);
    Application::instance().setBackend(&backend);
}

TestEnvironment::~TestEnvironment() {
    Application::instance().reset();
    Application::instance().setBackend(nullptr);
    setClipboard(nullptr);
    setDialogs(nullptr);
    runtime::Scheduler::setCurrent(nullptr);
}

}  // namespace forms
