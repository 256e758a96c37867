#pragma once
// Events of forms and controls. A control's event is a member named as the
// original's event (Click, Change, MouseDown ...) holding the form's handler:
//
//     Command1.Click = [this] { Command1_Click(); };
//     List1.MouseDown = [this](int Button, int Shift, float X, float Y) { ... };
//
// Events are raised through the form's dispatch: a runtime::Error escaping a
// handler is caught there and the program goes on.

#include <functional>
#include <string>
#include <vector>

namespace forms {

template <class... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event() = default;
    Event& operator=(Handler h) {
        handler_ = std::move(h);
        return *this;
    }
    explicit operator bool() const { return static_cast<bool>(handler_); }
    // Runs the handler directly (no dispatch); a copy runs, so the handler may
    // replace itself or destroy its control while it runs.
    void call(Args... args) const {
        if (!handler_) return;
        Handler h = handler_;
        h(args...);
    }

private:
    Handler handler_;
};

// What a drag and drop carries: a list of files (the original's Data.Files)
// and text. Formats: 1 text, 15 files.
inline constexpr int vbCFText = 1;
inline constexpr int vbCFFiles = 15;

class DataObject {
public:
    DataObject() = default;
    explicit DataObject(std::vector<std::string> files) : files_(std::move(files)) {}

    bool GetFormat(int format) const;
    // Data.Files.Count and Data.Files(i), i from 1; an index out of range is error 9.
    long filesCount() const { return static_cast<long>(files_.size()); }
    std::string file(long i) const;
    const std::vector<std::string>& files() const { return files_; }
    const std::string& text() const { return text_; }
    void setText(std::string t) { text_ = std::move(t); }

private:
    std::vector<std::string> files_;
    std::string text_;
};

}  // namespace forms
