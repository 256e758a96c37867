// The Qt peers: one top-level window per form, one widget per control.

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "forms/application.hpp"
#include "forms/common_dialog.hpp"
#include "forms/controls.hpp"
#include "forms/form.hpp"
#include "forms/menu.hpp"
#include "qt_internal.hpp"
#include "runtime/error.hpp"

namespace formsqt {

using forms::Control;
using forms::Form;
using forms::Kind;
using forms::Prop;

QString toQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string fromQ(const QString& s) { return s.toStdString(); }

std::vector<std::string> filesOf(const QMimeData* m) {
    std::vector<std::string> files;
    if (!m) return files;
    // The list's own bytes: a name that is not UTF-8 would not survive QUrl.
    if (m->hasFormat("text/uri-list")) return forms::pathsFromUriList(m->data("text/uri-list").toStdString());
    for (const QUrl& u : m->urls())
        if (u.isLocalFile()) files.push_back(fromQ(u.toLocalFile()));
    return files;
}

void guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const forms::ProgramEnd&) {
        forms::Application::instance().endProgram();
    } catch (const runtime::Error& e) {
        std::fprintf(stderr, "dovetune: error %d (%s) outside an event handler\n", e.number(), e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dovetune: internal error: %s\n", e.what());
    }
}

namespace {

int px(float twips) { return static_cast<int>(std::lround(twips / forms::TwipsPerPixel)); }

QColor colourOf(forms::Colour c) {
    forms::Colour r = forms::resolveColour(c);
    return QColor(forms::redOf(r), forms::greenOf(r), forms::blueOf(r));
}

QImage imageOf(const forms::Picture& p) {
    if (p.empty()) return {};
    QImage img(p.rgba().data(), p.width(), p.height(), p.width() * 4, QImage::Format_RGBA8888);
    return img.copy();
}

// The faces the windows name are the original platform's, and most are not
// installed here. A missing one is replaced by an installed face of like
// design. The original's dialog faces at their usual sizes are hinted to
// narrower advances than their outlines give (Tahoma 8.25 pt sets "Time
// Remaining:" in about 77 pixels on that screen, its outlines in 82), and the
// stand-ins' outlines are about as wide as those outlines: a stand-in for
// such a face is therefore set at 10/11 of the size asked for, so captions
// fit the labels and buttons made to hold them. Its advances are left
// unhinted, so that they do not widen with the desktop's hinting settings.
struct StandIn {
    const char* face;
    QStringList families;
    double scale;
};

const StandIn* standInFor(const std::string& face) {
    static const QStringList sans = {"Liberation Sans", "Arimo", "DejaVu Sans Condensed"};
    static const StandIn table[] = {
        {"MS Sans Serif", sans, 10.0 / 11.0},
        {"Microsoft Sans Serif", sans, 10.0 / 11.0},
        {"Tahoma", sans, 10.0 / 11.0},
        {"Arial", sans, 1.0},  // Liberation Sans has Arial's metrics
        {"Verdana", {"DejaVu Sans"}, 1.0},
    };
    static std::map<std::string, const StandIn*> known;
    auto it = known.find(face);
    if (it != known.end()) return it->second;
    const StandIn* found = nullptr;
    QString name = toQ(face);
    for (const StandIn& s : table)
        if (name.compare(QLatin1String(s.face), Qt::CaseInsensitive) == 0) found = &s;
    // The face itself, where it is installed, is used as it is.
    if (found && QFontDatabase::families().contains(name, Qt::CaseInsensitive)) found = nullptr;
    known[face] = found;
    return found;
}

}  // namespace

QFont fontOf(const forms::Font& f) {
    QFont q;
    double points = f.size > 0 ? f.size : 8.25;
    if (const StandIn* s = standInFor(f.name)) {
        q.setFamilies(s->families);
        points *= s->scale;
        q.setHintingPreference(QFont::PreferVerticalHinting);
    } else {
        q.setFamily(toQ(f.name));
    }
    // Controls are placed at 15 twips (1/96 inch) to a pixel whatever the
    // screen's resolution, and their text is sized on the same scale.
    QScreen* screen = QGuiApplication::primaryScreen();
    double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    q.setPointSizeF(points * 96.0 / (dpi > 0 ? dpi : 96.0));
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikethrough);
    return q;
}

// The original's message and input boxes are set in its dialog face, the
// face a control gets when its form names none: the same stand-in here.
QFont dialogFont() { return fontOf(forms::Font{}); }

namespace {

int buttonsOf(Qt::MouseButtons b) {
    int bits = 0;
    if (b & Qt::LeftButton) bits |= forms::vbLeftButton;
    if (b & Qt::RightButton) bits |= forms::vbRightButton;
    if (b & Qt::MiddleButton) bits |= forms::vbMiddleButton;
    return bits;
}

int shiftOf(Qt::KeyboardModifiers m) {
    int s = 0;
    if (m & Qt::ShiftModifier) s |= forms::vbShiftMask;
    if (m & Qt::ControlModifier) s |= forms::vbCtrlMask;
    if (m & Qt::AltModifier) s |= forms::vbAltMask;
    return s;
}

// The original's key code of a Qt key (0 when it has none).
int keyCodeOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same codes
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return forms::vbKeyF1 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Backspace: return forms::vbKeyBack;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return forms::vbKeyTab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return forms::vbKeyReturn;
        case Qt::Key_Shift: return forms::vbKeyShift;
        case Qt::Key_Control: return forms::vbKeyControl;
        case Qt::Key_Alt: return forms::vbKeyMenu;
        case Qt::Key_Escape: return forms::vbKeyEscape;
        case Qt::Key_Space: return forms::vbKeySpace;
        case Qt::Key_PageUp: return forms::vbKeyPageUp;
        case Qt::Key_PageDown: return forms::vbKeyPageDown;
        case Qt::Key_End: return forms::vbKeyEnd;
        case Qt::Key_Home: return forms::vbKeyHome;
        case Qt::Key_Left: return forms::vbKeyLeft;
        case Qt::Key_Up: return forms::vbKeyUp;
        case Qt::Key_Right: return forms::vbKeyRight;
        case Qt::Key_Down: return forms::vbKeyDown;
        case Qt::Key_Insert: return forms::vbKeyInsert;
        case Qt::Key_Delete: return forms::vbKeyDelete;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        default: return 0;
    }
}

// The original's MousePointer values (99: the control's own MouseIcon).
void applyCursor(QWidget* w, int pointer, const forms::Picture& icon) {
    switch (pointer) {
        case 0: w->unsetCursor(); break;
        case 2: w->setCursor(Qt::CrossCursor); break;
        case 3: w->setCursor(Qt::IBeamCursor); break;
        case 5: w->setCursor(Qt::SizeAllCursor); break;
        case 6: w->setCursor(Qt::SizeBDiagCursor); break;
        case 7: w->setCursor(Qt::SizeVerCursor); break;
        case 8: w->setCursor(Qt::SizeFDiagCursor); break;
        case 9: w->setCursor(Qt::SizeHorCursor); break;
        case 10: w->setCursor(Qt::UpArrowCursor); break;
        case 11: w->setCursor(Qt::WaitCursor); break;
        case 12: w->setCursor(Qt::ForbiddenCursor); break;
        case 13: w->setCursor(Qt::BusyCursor); break;
        case 14: w->setCursor(Qt::WhatsThisCursor); break;
        case 15: w->setCursor(Qt::SizeAllCursor); break;
        case 99:
            if (icon) {
                w->setCursor(QCursor(QPixmap::fromImage(imageOf(icon)), icon.hotSpotX(), icon.hotSpotY()));
            } else {
                w->unsetCursor();
            }
            break;
        default: w->setCursor(Qt::ArrowCursor); break;
    }
}

// Lightweight controls are drawn on their container's surface, beneath every
// windowed control, as on the original platform.
bool lightweight(Kind k) { return k == Kind::Label || k == Kind::Image || k == Kind::Shape; }
// Controls whose Click is a left-button release over them (the others click
// through their widget's own signal, or on a change of selection).
bool clickOnRelease(Kind k) {
    return k == Kind::Label || k == Kind::Image || k == Kind::PictureBox || k == Kind::Frame || k == Kind::Shape ||
           k == Kind::TextBox;
}

class QtFormPeer;
std::map<Form*, QtFormPeer*>& peers() {
    static std::map<Form*, QtFormPeer*> p;
    return p;
}

// What the next popup menu runs while it is open (Session::onNextPopup).
std::function<std::string()>& nextPopupHook() {
    static std::function<std::string()> hook;
    return hook;
}

// Draws a picture (stretched or at its natural size) over an optional fill.
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(QWidget* parent) : QWidget(parent) {}
    QImage image;
    bool stretch = false;
    bool fill = false;
    QColor fillColour;
    bool border = false;  // an image's single line
    bool sunken = false;  // a picture box's 2-pixel sunken edge; its inside starts within it

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (fill) p.fillRect(rect(), fillColour);
        const int inset = sunken ? 2 : 0;
        const QRect inside = rect().adjusted(inset, inset, -inset, -inset);
        if (!image.isNull()) {
            p.save();
            p.setClipRect(inside);
            if (stretch)
                p.drawImage(inside, image);
            else
                p.drawImage(inside.topLeft(), image);
            p.restore();
        }
        if (border) {
            p.setPen(QColor(128, 128, 128));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        if (sunken && width() >= 4 && height() >= 4) {
            auto edge = [&](int i, QColor topLeft, QColor bottomRight) {
                const int r = width() - 1 - i, b = height() - 1 - i;
                p.setPen(topLeft);
                p.drawLine(i, i, r - 1, i);
                p.drawLine(i, i, i, b - 1);
                p.setPen(bottomRight);
                p.drawLine(i, b, r, b);
                p.drawLine(r, i, r, b);
            };
            edge(0, QColor(128, 128, 128), QColor(255, 255, 255));
            edge(1, QColor(0, 0, 0), QColor(223, 223, 223));
        }
    }
};

// The original's focus mark: a dotted rectangle, every other pixel set.
void drawFocusMark(QPainter& p, const QRect& r, const QColor& colour) {
    if (r.width() < 2 || r.height() < 2) return;
    QPen pen(colour, 0);
    pen.setDashPattern({1.0, 1.0});
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.restore();
}

// A command button that shows its focus mark inside its edge while it has
// the focus, as the original's does.
class ButtonWidget : public QPushButton {
public:
    explicit ButtonWidget(QWidget* parent) : QPushButton(parent) {}
    // A graphical button (Style 1): drawn here, as the original draws it.
    bool graphical = false;
    QImage picture;

    void setPicture(const QImage& img) {
        picture = img;
        greyed = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        if (graphical) {
            paintGraphical();
        } else {
            QPushButton::paintEvent(e);
        }
        if (!hasFocus()) return;
        QPainter p(this);
        drawFocusMark(p, rect().adjusted(3, 3, -4, -4), palette().color(QPalette::ButtonText));
    }

private:
    QImage greyed;  // the picture of a disabled button, made when first needed

    // The face in the back colour inside a raised edge (white and light grey
    // above and left, black and dark grey below and right), sunken while
    // pressed; the picture centred (above the caption, when there is one)
    // and kept inside the edge, one pixel down and right while pressed, and
    // greyed while the button is disabled.
    void paintGraphical() {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, palette().color(QPalette::Button));
        const bool down = isDown();
        const int w = r.width(), h = r.height();
        if (w >= 4 && h >= 4) {
            auto edge = [&](int inset, QColor topLeft, QColor bottomRight) {
                p.setPen(topLeft);
                p.drawLine(inset, inset, w - 2 - inset, inset);
                p.drawLine(inset, inset, inset, h - 2 - inset);
                p.setPen(bottomRight);
                p.drawLine(inset, h - 1 - inset, w - 1 - inset, h - 1 - inset);
                p.drawLine(w - 1 - inset, inset, w - 1 - inset, h - 1 - inset);
            };
            if (down) {
                p.setPen(QColor(0, 0, 0));
                p.drawRect(0, 0, w - 1, h - 1);
                p.setPen(QColor(128, 128, 128));
                p.drawRect(1, 1, w - 3, h - 3);
            } else {
                edge(0, QColor(255, 255, 255), QColor(0, 0, 0));
                edge(1, QColor(223, 223, 223), QColor(128, 128, 128));
            }
        }
        const QRect inside = r.adjusted(2, 2, -2, -2);
        const int shift = down ? 1 : 0;
        QFontMetrics fm(font());
        const QString caption = text();
        const int textHeight = caption.isEmpty() ? 0 : fm.height();
        p.setClipRect(inside);
        if (!picture.isNull()) {
            if (!isEnabled() && greyed.isNull()) {
                QStyleOption opt;
                opt.initFrom(this);
                greyed = style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(picture), &opt).toImage();
            }
            const QImage& shown = isEnabled() ? picture : greyed;
            int x = inside.left() + (inside.width() - shown.width()) / 2;
            int y = inside.top() + (inside.height() - textHeight - shown.height()) / 2;
            p.drawImage(x + shift, y + shift, shown);
        }
        if (!caption.isEmpty()) {
            QRect line(inside.left() + shift, inside.bottom() + 1 - textHeight + shift, inside.width(), textHeight);
            if (picture.isNull()) line = inside.translated(shift, shift);
            p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
            p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, caption);
        }
    }
};

// The lines of a list: the line that holds the list's focus is framed by the
// focus mark (the style's own marking is left out, so there is one mark).
class ListLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        bool focus = opt.state & QStyle::State_HasFocus;
        opt.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(p, opt, index);
        if (!focus) return;
        bool selected = opt.state & QStyle::State_Selected;
        drawFocusMark(*p, opt.rect.adjusted(0, 0, -1, -1),
                      opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }
};

// The original's frame: its back colour over the whole rectangle, an etched
// line round it whose top runs through the middle of the caption, and the
// caption near the left on that line, over the back colour. (The style's own
// group box sets its caption above the line and tints the inside, so labels
// of the frame's colour would stand out on it.)
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(QWidget* parent) : QWidget(parent) {}
    QString caption;  // with its "&" marks: the access key is underlined

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPalette& pal = palette();
        p.fillRect(rect(), pal.color(QPalette::Window));
        QFontMetrics fm(font());
        int top = caption.isEmpty() ? 0 : fm.height() / 2;
        int w = width() - 2, h = height() - 2 - top;
        if (w < 0 || h < 0) return;
        p.setPen(QColor(128, 128, 128));
        p.drawRect(0, top, w, h);
        p.setPen(QColor(255, 255, 255));
        p.drawRect(1, top + 1, w, h);
        if (caption.isEmpty()) return;
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
        QRect text(8, 0, fm.size(flags, caption).width(), fm.height());
        p.fillRect(text.adjusted(-1, 0, 1, 0), pal.color(QPalette::Window));
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(text, flags, caption);
    }
};

class ShapeWidget : public QWidget {
public:
    explicit ShapeWidget(QWidget* parent) : QWidget(parent) {}
    const forms::Shape* shape = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!shape) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, shape->shape() >= 2);
        QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        if (shape->shape() == 1 || shape->shape() == 3 || shape->shape() == 5) {
            qreal side = std::min(r.width(), r.height());
            r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
        }
        QPainterPath path;
        switch (shape->shape()) {
            case 2:
            case 3: path.addEllipse(r); break;
            case 4:
            case 5: path.addRoundedRect(r, r.width() / 8, r.height() / 8); break;
            default: path.addRect(r);
        }
        if (shape->backStyle() == 1) p.fillPath(path, colourOf(shape->backColor()));
        if (shape->fillStyle() == 0) p.fillPath(path, colourOf(shape->fillColor()));
        if (shape->borderStyle() != 0) {
            p.setPen(QPen(colourOf(shape->borderColor()), shape->borderWidth()));
            p.drawPath(path);
        }
    }
};

// The original's drop-down list opens below its field, with lines as high as
// the font's, whatever its style: the style's menu-like popup over the field
// (Fusion's, for a list that takes no typing) is turned off.
class ComboListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The original's slider moves towards Min with Up and Page Up and with the
// wheel turned away from the user, and towards Max with Down, Page Down and
// the wheel turned back (Left, Right, Home and End go as Qt's do). A rocker's
// Up key and wheel therefore step as they do there.
class TrackbarWidget : public QSlider {
public:
    explicit TrackbarWidget(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
            case Qt::Key_Up: triggerAction(SliderSingleStepSub); break;
            case Qt::Key_Down: triggerAction(SliderSingleStepAdd); break;
            case Qt::Key_PageUp: triggerAction(SliderPageStepSub); break;
            case Qt::Key_PageDown: triggerAction(SliderPageStepAdd); break;
            default: QSlider::keyPressEvent(e); return;
        }
        e->accept();
    }
    void wheelEvent(QWheelEvent* e) override {
        wheel_ += e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
        int notches = wheel_ / 120;
        wheel_ -= notches * 120;
        QPointer<TrackbarWidget> self(this);
        for (int i = 0; i < std::abs(notches) && self; ++i)
            triggerAction(notches > 0 ? SliderSingleStepSub : SliderSingleStepAdd);
        e->accept();
    }

private:
    int wheel_ = 0;
};

class FormWindow : public QWidget {
public:
    explicit FormWindow(QtFormPeer* peer) : peer_(peer) { setAcceptDrops(true); }
    QtFormPeer* peer_;
    QImage background;
    QColor backColour;
    // The left button's second press of a double click: its release raises no Click.
    bool doublePressed = false;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};

// Asks the X window manager to move the window with the left button (its
// _NET_WM_MOVERESIZE), as from the point on the screen where the button went
// down. False when the platform is not X11 or the manager offers no such
// move. (Qt's own system move starts from the pointer's last place instead,
// so a move begun past the drag distance would lag that distance behind.)
bool startWindowManagerMove(QWidget& window, QPoint pressAt) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return false;
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem) return false;
    xcb_window_t root = screens.data->root;
    auto atom = [c](const char* name) -> xcb_atom_t {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(r);
        return a;
    };
    xcb_atom_t moveResize = atom("_NET_WM_MOVERESIZE"), supported = atom("_NET_SUPPORTED");
    if (moveResize == XCB_ATOM_NONE || supported == XCB_ATOM_NONE) return false;
    bool offered = false;
    xcb_get_property_reply_t* prop =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr);
    if (prop && prop->format == 32) {
        auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(prop));
        int n = xcb_get_property_value_length(prop) / 4;
        offered = std::find(atoms, atoms + n, moveResize) != atoms + n;
    }
    std::free(prop);
    if (!offered) return false;
    qreal ratio = window.devicePixelRatioF();
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = static_cast<xcb_window_t>(window.winId());
    ev.type = moveResize;
    ev.data.data32[0] = static_cast<uint32_t>(std::lround(pressAt.x() * ratio));
    ev.data.data32[1] = static_cast<uint32_t>(std::lround(pressAt.y() * ratio));
    ev.data.data32[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
    ev.data.data32[3] = XCB_BUTTON_INDEX_1;
    ev.data.data32[4] = 1;  // an application's request
    // The button's implicit grab is the application's: the manager takes
    // the pointer over.
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(c);
    return true;
}

class QtFormPeer : public forms::FormPeer {
public:
    explicit QtFormPeer(Form& f) : form(f) {
        window = new FormWindow(this);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->setMouseTracking(true);
        peers()[&form] = this;
        applyFlags();
        applyGeometry();
        window->setWindowTitle(toQ(form.caption()));
        window->backColour = colourOf(form.backColor());
        applyIcon();  // an Icon set while the form was being built
    }

    ~QtFormPeer() override {
        peers().erase(&form);
        if (window) {
            window->peer_ = nullptr;
            for (auto& [c, w] : widgets) w->disconnect();
            window->hide();
            window->deleteLater();
        }
    }

    Form& form;
    QPointer<FormWindow> window;
    std::map<Control*, QWidget*> widgets;
    std::map<QObject*, Control*> owners;
    int syncing = 0;
    // A press on a list raised Click already (by selecting another line).
    bool listClickRaised = false;
    // The control whose second press of a double click is under way.
    Control* doublePressed = nullptr;
    bool itemsQueued = false;
    std::set<Control*> dirtyItems;
    std::map<Control*, std::vector<std::string>> shownItems;  // the lines each file list's widget holds
    std::set<Control*> filledLists;  // list boxes whose widget holds their lines, kept by their edits
    bool restackQueued = false;

    struct Sync {
        QtFormPeer& p;
        explicit Sync(QtFormPeer& peer) : p(peer) { ++p.syncing; }
        ~Sync() { --p.syncing; }
    };

    // ---- window ----
    bool frameless() const { return form.borderStyle() == forms::BorderStyle::None || form.region().has_value(); }

    void applyGeometry() {
        Sync s(*this);
        int x = px(form.left()), y = px(form.top());
        if (frameless()) {
            x += form.clientOffsetX();
            y += form.clientOffsetY();
        }
        int w = px(form.clientWidthTwips()), h = px(form.clientHeightTwips());
        applySizeLimits(w, h);
        if (window->size() != QSize(w, h)) window->resize(w, h);
        if (window->pos() != QPoint(x, y)) window->move(x, y);
    }

    bool toolWindow() const {
        return form.borderStyle() == forms::BorderStyle::FixedToolWindow ||
               form.borderStyle() == forms::BorderStyle::SizableToolWindow;
    }

    // A fixed border (single, dialog, tool window) keeps the size the form
    // gives it: the window manager is told that it cannot be resized. The
    // other styles leave the user free to size the window.
    void applySizeLimits(int w, int h) {
        bool fixed = !frameless() && (form.borderStyle() == forms::BorderStyle::FixedSingle ||
                                      form.borderStyle() == forms::BorderStyle::FixedDialog ||
                                      form.borderStyle() == forms::BorderStyle::FixedToolWindow);
        QSize least = fixed ? QSize(w, h) : QSize(0, 0);
        QSize most = fixed ? QSize(w, h) : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (window->minimumSize() != least) window->setMinimumSize(least);
        if (window->maximumSize() != most) window->setMaximumSize(most);
    }

    void applyFlags() {
        Qt::WindowFlags f = Qt::Window;
        if (frameless()) {
            f |= Qt::FramelessWindowHint;
        } else {
            f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            if (form.controlBox()) {
                f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
                // A tool window's small title bar holds the close box alone.
                if (form.minButton() && !toolWindow()) f |= Qt::WindowMinimizeButtonHint;
                if (form.maxButton() && !toolWindow()) f |= Qt::WindowMaximizeButtonHint;
            }
            if (toolWindow()) f |= Qt::Tool;
        }
        if (form.topmost()) f |= Qt::WindowStaysOnTopHint;
        if (!form.showInTaskbar()) f |= Qt::Tool;
        if (window->windowFlags() == f) {
            applyGeometry();  // a fixed border or a sizable one
            return;
        }
        Sync s(*this);
        window->setWindowFlags(f);  // Qt hides a window whose flags change
        applyGeometry();
        if (form.region()) applyRegion();
        if (form.visible()) showWindow();
    }

    // The title bar's and the task list's icon (_NET_WM_ICON under X11).
    void applyIcon() { window->setWindowIcon(form.icon() ? QIcon(QPixmap::fromImage(imageOf(form.icon()))) : QIcon()); }

    void showWindow() {
        flushRestack();
        flushItems();
        switch (form.windowState()) {
            case forms::vbMinimized: window->showMinimized(); break;
            case forms::vbMaximized: window->showMaximized(); break;
            default: window->show();
        }
        // A widget of a hidden window cannot take the focus: the model's
        // focused control takes it now that the window is shown.
        if (Control* c = form.activeControl()) focusChanged(c);
    }

    // The region shapes the native window. QWidget::setMask would also clip
    // Qt's own painting of the window, and Qt 6 then loses every repaint of a
    // masked top-level after the first (the skin turns into an empty grey
    // window), so the mask goes to the QWindow alone. A change of flags makes
    // a new native window: applyFlags shapes it again.
    void applyRegion() {
        const auto& r = form.region();
        if (!r) {
            if (QWindow* h = window->windowHandle()) h->setMask(QRegion());
            return;
        }
        int ox = form.clientOffsetX(), oy = form.clientOffsetY();
        QList<QRect> rects;
        rects.reserve(static_cast<qsizetype>(r->rects().size()));
        for (auto& rc : r->rects()) rects.push_back(QRect(rc.left - ox, rc.top - oy, rc.right - rc.left, rc.bottom - rc.top));
        QRegion reg;
        reg.setRects(rects.constData(), static_cast<int>(rects.size()));
        // An empty mask would mean no mask at all; an all-cut window keeps one
        // pixel outside its client area instead.
        if (reg.isEmpty()) reg = QRegion(-1, -1, 1, 1);
        window->winId();  // the native window, made now if it is not yet
        if (QWindow* h = window->windowHandle()) h->setMask(reg);
    }

    void formChanged(forms::FormProp what) override {
        if (!window) return;
        Sync s(*this);
        switch (what) {
            case forms::FormProp::Geometry:
            case forms::FormProp::ScaleMode: applyGeometry(); break;
            case forms::FormProp::Caption: window->setWindowTitle(toQ(form.caption())); break;
            case forms::FormProp::Icon: applyIcon(); break;
            case forms::FormProp::Picture:
                window->background = imageOf(form.picture());
                window->update();
                break;
            case forms::FormProp::BackColor:
                window->backColour = colourOf(form.backColor());
                window->update();
                break;
            case forms::FormProp::Visible:
                if (form.visible())
                    showWindow();
                else
                    window->hide();
                break;
            case forms::FormProp::WindowState:
                if (!form.visible()) break;
                if (form.windowState() == forms::vbMinimized)
                    window->showMinimized();
                else if (form.windowState() == forms::vbMaximized)
                    window->showMaximized();
                else
                    window->showNormal();
                break;
            case forms::FormProp::BorderStyle:
            case forms::FormProp::Buttons:
            case forms::FormProp::ShowInTaskbar:
            case forms::FormProp::Topmost: applyFlags(); break;
            case forms::FormProp::Region:
                applyFlags();
                applyGeometry();
                applyRegion();
                break;
            case forms::FormProp::Opacity: window->setWindowOpacity(form.alpha() / 255.0); break;
            case forms::FormProp::ZOrder:
                if (form.visible()) {
                    window->raise();
                    window->activateWindow();
                }
                break;
            case forms::FormProp::MousePointer: applyCursor(window, form.mousePointer(), forms::Picture()); break;
        }
    }

    // ---- controls ----
    QWidget* containerWidget(Control& c) {
        Control* parent = c.container().asControl();
        if (!parent) return window;
        auto it = widgets.find(parent);
        return it == widgets.end() ? window.data() : it->second;
    }

    void own(QWidget* w, Control& c) {
        owners[w] = &c;
        if (auto* view = qobject_cast<QAbstractScrollArea*>(w)) owners[view->viewport()] = &c;
    }

    void controlAdded(Control& c) override {
        if (!window || widgets.count(&c)) return;
        QWidget* parent = containerWidget(c);
        QWidget* w = nullptr;
        switch (c.kind()) {
            case Kind::Label: {
                auto* l = new QLabel(parent);
                l->setTextFormat(Qt::PlainText);
                l->setBuddy(l);
                w = l;
                break;
            }
            case Kind::TextBox: {
                auto& t = static_cast<forms::TextBox&>(c);
                if (t.multiLine()) {
                    auto* e = new QPlainTextEdit(parent);
                    QObject::connect(e, &QPlainTextEdit::textChanged, [this, &t, e] {
                        if (syncing) return;
                        guarded([&] { t.userEdited(fromQ(e->toPlainText()), e->textCursor().position()); });
                    });
                    w = e;
                } else {
                    auto* e = new QLineEdit(parent);
                    QObject::connect(e, &QLineEdit::textEdited, [this, &t, e](const QString& text) {
                        if (syncing) return;
                        guarded([&] { t.userEdited(fromQ(text), e->cursorPosition()); });
                    });
                    w = e;
                }
                break;
            }
            case Kind::CommandButton: {
                auto* b = new ButtonWidget(parent);
                QObject::connect(b, &QPushButton::clicked, [this, &c] {
                    if (!syncing) guarded([&] { c.click(); });
                });
                w = b;
                break;
            }
            case Kind::CheckBox: {
                auto* b = new QCheckBox(parent);
                QObject::connect(b, &QCheckBox::clicked, [this, &c, win = QPointer<FormWindow>(window)] {
                    if (syncing) return;
                    guarded([&] { c.click(); });
                    // The click may have unloaded the form: this peer is then gone.
                    if (win && win->peer_ == this) syncControl(c, Prop::Value);
                });
                w = b;
                break;
            }
            case Kind::OptionButton: {
                auto* b = new QRadioButton(parent);
                b->setAutoExclusive(false);
                QObject::connect(b, &QRadioButton::clicked, [this, &c, win = QPointer<FormWindow>(window)] {
                    if (syncing) return;
                    guarded([&] { c.click(); });
                    if (win && win->peer_ == this) syncControl(c, Prop::Value);
                });
                w = b;
                break;
            }
            case Kind::ListBox:
            case Kind::FileListBox: {
                auto* l = new QListWidget(parent);
                l->setItemDelegate(new ListLineDelegate(l));
                l->setSelectionMode(QAbstractItemView::SingleSelection);
                // The original's lists scroll up and down only, with the bar
                // shown when the lines do not fit; a line wider than the list
                // is cut off at its right edge, without an ellipsis.
                l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                l->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
                l->setTextElideMode(Qt::ElideNone);
                l->setUniformItemSizes(true);  // every line has the list's font: no row is measured alone
                // A line the user selects (mouse or keys) is the list's click.
                // Taking the focus only marks a line as current, without
                // selecting it, and raises nothing: the original's list gets
                // the focus without choosing a line.
                QObject::connect(l, &QListWidget::itemSelectionChanged, [this, &c, l] {
                    if (syncing) return;
                    auto rows = l->selectionModel()->selectedRows();
                    if (rows.isEmpty()) {
                        syncControl(c, Prop::ListIndex);  // the model keeps its line
                        return;
                    }
                    int row = rows.front().row();
                    if (listIndexOf(c) == row) return;
                    listClickRaised = true;
                    guarded([&] { userClickLine(c, row); });
                });
                // A press on the line that is selected already clicks it again.
                QObject::connect(l, &QAbstractItemView::pressed, [this, &c](const QModelIndex& index) {
                    if (syncing) return;
                    bool raised = listClickRaised;
                    listClickRaised = false;
                    if (raised || !index.isValid()) return;
                    guarded([&] { userClickLine(c, index.row()); });
                });
                QObject::connect(l, &QListWidget::itemDoubleClicked, [this, &c](QListWidgetItem*) {
                    if (!syncing) guarded([&] { c.doubleClick(); });
                });
                w = l;
                break;
            }
            case Kind::ComboBox: {
                auto& cb = static_cast<forms::ComboBox&>(c);
                auto* b = new QComboBox(parent);
                auto* look = new ComboListStyle;
                look->setParent(b);
                b->setStyle(look);
                QObject::connect(b, qOverload<int>(&QComboBox::activated), [this, &cb](int i) {
                    if (!syncing) guarded([&] { cb.chooseItem(i); });
                });
                w = b;
                break;
            }
            case Kind::Image:
            case Kind::PictureBox: w = new PictureWidget(parent); break;
            case Kind::Frame: w = new FrameWidget(parent); break;
            case Kind::Shape: {
                auto* s = new ShapeWidget(parent);
                s->shape = &static_cast<forms::Shape&>(c);
                s->setAttribute(Qt::WA_TransparentForMouseEvents);
                w = s;
                break;
            }
            case Kind::Slider: {
                auto* s = new TrackbarWidget(parent);
                QObject::connect(s, &QSlider::valueChanged, [this, &c](int v) {
                    if (!syncing) guarded([&] { static_cast<forms::Slider&>(c).slideTo(v); });
                });
                w = s;
                break;
            }
            case Kind::ProgressBar: w = new QProgressBar(parent); break;
            case Kind::Timer:
            case Kind::CommonDialog:
            case Kind::Custom: return;
        }
        widgets[&c] = w;
        own(w, c);
        w->setMouseTracking(true);  // MouseMove without a button held, as the original raises it
        // The mouse over a control is that control's alone: a press, a move
        // or the wheel that its widget leaves alone goes no further up to the
        // container or the window (the input filter raises the control's
        // event once, and hands the wheel to the focused slider itself).
        w->setAttribute(Qt::WA_NoMousePropagation);
        if (auto* view = qobject_cast<QAbstractScrollArea*>(w)) {
            view->viewport()->setMouseTracking(true);
            view->viewport()->setAttribute(Qt::WA_NoMousePropagation);
        }
        if (!c.focusable()) w->setFocusPolicy(Qt::NoFocus);
        syncAll(c);
        queueRestack();
    }

    void controlRemoved(Control& c) override {
        auto it = widgets.find(&c);
        if (it == widgets.end()) return;
        QWidget* w = it->second;
        for (auto o = owners.begin(); o != owners.end();)
            o = o->second == &c ? owners.erase(o) : std::next(o);
        dirtyItems.erase(&c);
        shownItems.erase(&c);
        filledLists.erase(&c);
        widgets.erase(it);
        w->disconnect();
        w->hide();
        w->deleteLater();
    }

    void syncAll(Control& c) {
        for (Prop p : {Prop::Geometry, Prop::Visible, Prop::Enabled, Prop::Font, Prop::BackColor, Prop::Caption,
                       Prop::Text, Prop::Style, Prop::Picture, Prop::Items, Prop::Value, Prop::Range, Prop::ToolTip,
                       Prop::Locked, Prop::MaxLength, Prop::Alignment, Prop::MousePointer})
            syncControl(c, p);
    }

    void controlChanged(Control& c, Prop what) override { syncControl(c, what); }

    void applyColours(Control& c, QWidget* w) {
        QPalette pal = w->palette();
        QColor back = colourOf(c.backColor()), fore = colourOf(c.foreColor());
        QColor greyed(128, 128, 128);  // the text of a disabled control
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            QColor text = group == QPalette::Disabled ? greyed : fore;
            pal.setColor(group, QPalette::Window, back);
            pal.setColor(group, QPalette::Base, back);
            pal.setColor(group, QPalette::Button, back);
            pal.setColor(group, QPalette::WindowText, text);
            pal.setColor(group, QPalette::Text, text);
            pal.setColor(group, QPalette::ButtonText, text);
        }
        if (c.kind() == Kind::ListBox || c.kind() == Kind::FileListBox || c.kind() == Kind::ComboBox) {
            // The selected line in the system's highlight colours, whether or
            // not the list holds the focus, as the original's lists show it.
            for (auto group : {QPalette::Active, QPalette::Inactive}) {
                pal.setColor(group, QPalette::Highlight, colourOf(forms::vbHighlight));
                pal.setColor(group, QPalette::HighlightedText, colourOf(forms::vbHighlightText));
            }
        }
        if (c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton) {
            // The back colour fills the whole rectangle and the caption is in
            // the fore colour; the tick box keeps the system's white window
            // colour with a black tick (a disabled one: the face, a grey tick).
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                bool off = group == QPalette::Disabled;
                pal.setColor(group, QPalette::Base, off ? colourOf(forms::vbButtonFace) : QColor(255, 255, 255));
                pal.setColor(group, QPalette::Text, off ? greyed : QColor(0, 0, 0));
            }
        }
        w->setPalette(pal);
        bool fill = false;
        if (c.kind() == Kind::Label) fill = static_cast<forms::Label&>(c).backStyle() == 1;
        if (c.kind() == Kind::Frame || c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton) fill = true;
        w->setAutoFillBackground(fill);
        if (c.kind() == Kind::PictureBox) {
            auto* pw = static_cast<PictureWidget*>(w);
            pw->fill = true;
            pw->fillColour = back;
            pw->update();
        }
    }

    void syncControl(Control& c, Prop what) {
        auto it = widgets.find(&c);
        if (it == widgets.end()) return;
        QWidget* w = it->second;
        Sync s(*this);
        switch (what) {
            case Prop::Geometry: {
                forms::PixelRect r = relativeRect(c);
                w->setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
                if (c.kind() == Kind::Label) applyWrap(static_cast<forms::Label&>(c), static_cast<QLabel*>(w));
                break;
            }
            case Prop::Visible: w->setVisible(c.visible()); break;
            case Prop::Enabled: w->setEnabled(c.enabled()); break;
            case Prop::Font:
                w->setFont(fontOf(c.font()));
                if (c.kind() == Kind::Label) applyWrap(static_cast<forms::Label&>(c), static_cast<QLabel*>(w));
                break;
            case Prop::BackColor:
            case Prop::ForeColor:
            case Prop::BackStyle: applyColours(c, w); break;
            case Prop::ToolTip: w->setToolTip(toQ(c.toolTipText())); break;
            case Prop::MousePointer: applyCursor(w, c.mousePointer(), c.mouseIcon()); break;
            case Prop::ZOrder: queueRestack(); break;
            default: syncKind(c, w, what); break;
        }
    }

    // A label one line high keeps its caption on that line, cut off at its
    // right edge, so the user reads as much of it as fits; a label with room
    // for more lines (or with WordWrap set) breaks its caption between words
    // to fill them. Line breaks in the caption break it in either case.
    static void applyWrap(forms::Label& l, QLabel* q) {
        bool roomy = q->height() >= 2 * QFontMetrics(q->font()).lineSpacing();
        q->setWordWrap(l.wordWrap() || roomy);
    }

    forms::PixelRect relativeRect(Control& c) {
        int l = px(c.leftTwips()), t = px(c.topTwips());
        // A picture box's inside begins within its sunken edge.
        if (Control* parent = c.container().asControl();
            parent && parent->kind() == Kind::PictureBox && static_cast<forms::PictureBox*>(parent)->borderStyle() == 1) {
            l += 2;
            t += 2;
        }
        return {l, t, l + px(c.widthTwips()), t + px(c.heightTwips())};
    }

    void syncKind(Control& c, QWidget* w, Prop what) {
        switch (c.kind()) {
            case Kind::Label: {
                auto& l = static_cast<forms::Label&>(c);
                auto* q = static_cast<QLabel*>(w);
                if (what == Prop::Caption) {
                    // Shown up to a NUL, with CR LF as a line break, and the
                    // access key underlined (a QLabel shows its "&" marks so
                    // only while it has a buddy: itself; the model routes the key).
                    std::string text = l.caption();
                    auto nul = text.find('\0');
                    if (nul != std::string::npos) text.resize(nul);
                    q->setText(toQ(text).replace("\r\n", "\n").replace('\r', '\n'));
                } else if (what == Prop::Alignment) {
                    Qt::Alignment a = l.alignment() == 1 ? Qt::AlignRight : l.alignment() == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
                    q->setAlignment(a | Qt::AlignTop);
                } else if (what == Prop::Style) {
                    applyColours(c, w);
                    applyWrap(l, q);
                }
                break;
            }
            case Kind::TextBox: {
                auto& t = static_cast<forms::TextBox&>(c);
                if (auto* e = qobject_cast<QLineEdit*>(w)) {
                    if (what == Prop::Text && fromQ(e->text()) != t.text()) e->setText(toQ(t.text()));
                    if (what == Prop::Locked) e->setReadOnly(t.locked());
                    if (what == Prop::MaxLength) e->setMaxLength(t.maxLength() > 0 ? static_cast<int>(t.maxLength()) : 32767);
                    if (what == Prop::Style) e->setEchoMode(t.passwordChar().empty() ? QLineEdit::Normal : QLineEdit::Password);
                    if (what == Prop::Alignment)
                        e->setAlignment(t.alignment() == 1 ? Qt::AlignRight : t.alignment() == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
                } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
                    if (what == Prop::Text && fromQ(e->toPlainText()) != t.text()) {
                        e->setPlainText(toQ(t.text()));
                        QTextCursor caret = e->textCursor();
                        caret.setPosition(std::min(static_cast<int>(t.selStart()), static_cast<int>(e->document()->characterCount()) - 1));
                        e->setTextCursor(caret);
                    }
                    if (what == Prop::Locked) e->setReadOnly(t.locked());
                    if (what == Prop::Style) {
                        // The original's box shows the bars its ScrollBars names, always, and no others.
                        e->setVerticalScrollBarPolicy((t.scrollBars() & 2) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
                        e->setHorizontalScrollBarPolicy((t.scrollBars() & 1) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
                        e->setLineWrapMode((t.scrollBars() & 1) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
                    }
                }
                break;
            }
            case Kind::CommandButton: {
                auto& b = static_cast<forms::CommandButton&>(c);
                auto* q = static_cast<QPushButton*>(w);
                // The caption's "&" marks its access key, underlined as Qt's "&" is
                // ("&&" is an ampersand in both); the model routes the key itself.
                if (what == Prop::Caption) q->setText(toQ(b.caption()));
                if (what == Prop::Picture || what == Prop::Style) {
                    auto* g = static_cast<ButtonWidget*>(w);
                    g->graphical = b.style() == 1;
                    g->setPicture(b.style() == 1 ? imageOf(b.picture()) : QImage());
                }
                break;
            }
            case Kind::CheckBox: {
                auto& b = static_cast<forms::CheckBox&>(c);
                auto* q = static_cast<QCheckBox*>(w);
                if (what == Prop::Caption) q->setText(toQ(b.caption()));
                if (what == Prop::Value) {
                    q->setTristate(b.value() == forms::vbGrayed);
                    q->setCheckState(b.value() == 1 ? Qt::Checked : b.value() == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
                }
                break;
            }
            case Kind::OptionButton: {
                auto& b = static_cast<forms::OptionButton&>(c);
                auto* q = static_cast<QRadioButton*>(w);
                if (what == Prop::Caption) q->setText(toQ(b.caption()));
                if (what == Prop::Value) q->setChecked(b.value());
                break;
            }
            case Kind::ListBox:
            case Kind::FileListBox:
                if (what == Prop::Items || what == Prop::Path) {
                    queueItems(c);
                } else if (what == Prop::ListIndex) {
                    if (dirtyItems.count(&c)) flushItems();
                    long i = c.kind() == Kind::ListBox ? static_cast<forms::ListBox&>(c).listIndex()
                                                      : static_cast<forms::FileListBox&>(c).listIndex();
                    auto* q = static_cast<QListWidget*>(w);
                    if (i < 0) q->clearSelection();
                    q->setCurrentRow(static_cast<int>(i));
                }
                break;
            case Kind::ComboBox: {
                auto& cb = static_cast<forms::ComboBox&>(c);
                auto* q = static_cast<QComboBox*>(w);
                if (what == Prop::Style) {
                    q->setEditable(cb.style() != 2);
                    wireComboEdit(cb, q);
                }
                if (what == Prop::Items) {
                    q->clear();
                    for (long i = 0; i < cb.listCount(); ++i) q->addItem(toQ(cb.list(i)));
                }
                if (what == Prop::Items || what == Prop::ListIndex || what == Prop::Text) {
                    q->setCurrentIndex(static_cast<int>(cb.listIndex()));
                    if (q->isEditable()) q->setEditText(toQ(cb.text()));
                }
                break;
            }
            case Kind::Image: {
                auto& img = static_cast<forms::Image&>(c);
                auto* q = static_cast<PictureWidget*>(w);
                if (what == Prop::Picture) q->image = imageOf(img.picture());
                q->stretch = img.stretch();
                q->border = img.borderStyle() == 1;
                q->update();
                break;
            }
            case Kind::PictureBox: {
                auto& pb = static_cast<forms::PictureBox&>(c);
                auto* q = static_cast<PictureWidget*>(w);
                if (what == Prop::Picture) q->image = imageOf(pb.picture());
                bool sunken = pb.borderStyle() == 1;
                if (q->sunken != sunken) {
                    q->sunken = sunken;
                    for (Control* child : pb.children()) syncControl(*child, Prop::Geometry);  // inside the edge
                }
                q->update();
                break;
            }
            case Kind::Frame:
                if (what == Prop::Caption) {
                    static_cast<FrameWidget*>(w)->caption = toQ(static_cast<forms::Frame&>(c).caption());
                    w->update();
                }
                break;
            case Kind::Shape: w->update(); break;
            case Kind::Slider: {
                auto& sl = static_cast<forms::Slider&>(c);
                auto* q = static_cast<QSlider*>(w);
                q->setRange(static_cast<int>(sl.min()), static_cast<int>(sl.max()));
                q->setValue(static_cast<int>(sl.value()));
                if (what == Prop::Style || what == Prop::Range) {
                    q->setOrientation(sl.orientation() == 1 ? Qt::Vertical : Qt::Horizontal);
                    // The original's vertical slider has Min at the top.
                    q->setInvertedAppearance(sl.orientation() == 1);
                    const QSlider::TickPosition ticks[] = {QSlider::TicksBelow, QSlider::TicksAbove,
                                                           QSlider::TicksBothSides, QSlider::NoTicks};
                    q->setTickPosition(sl.tickFrequency() > 0 ? ticks[sl.tickStyle()] : QSlider::NoTicks);
                    q->setTickInterval(static_cast<int>(sl.tickFrequency()));
                }
                break;
            }
            case Kind::ProgressBar: {
                auto& pb = static_cast<forms::ProgressBar&>(c);
                auto* q = static_cast<QProgressBar*>(w);
                q->setTextVisible(false);
                q->setRange(static_cast<int>(pb.min()), static_cast<int>(pb.max()));
                q->setValue(static_cast<int>(pb.value()));
                break;
            }
            default: break;
        }
    }

    // List items change in bursts (a catalogue of a thousand lines is added
    // one line at a time): the widget is refilled once, after the burst.
    void queueItems(Control& c) {
        dirtyItems.insert(&c);
        if (itemsQueued) return;
        itemsQueued = true;
        QTimer::singleShot(0, window, [this, win = QPointer<FormWindow>(window)] {
            if (win && win->peer_ == this) flushItems();  // the form may have unloaded meanwhile
        });
    }

    // A list box's widget replays the list's edits row by row (a sorted add
    // into a long list touches one row, not all), or takes every line afresh
    // when the list was cleared or its widget is new. A file list box's
    // widget replaces only the rows between the lines that stayed at the
    // head and at the tail.
    void flushItems() {
        itemsQueued = false;
        auto dirty = std::move(dirtyItems);
        dirtyItems.clear();
        Sync s(*this);
        for (Control* c : dirty) {
            auto it = widgets.find(c);
            if (it == widgets.end()) continue;
            auto* q = static_cast<QListWidget*>(it->second);
            std::vector<std::string> lines;
            long current = -1;
            if (c->kind() == Kind::ListBox) {
                auto& lb = static_cast<forms::ListBox&>(*c);
                forms::ListModel::ItemEdits e = lb.takeItemEdits();
                if (e.whole || filledLists.insert(c).second) {
                    QStringList all;
                    all.reserve(static_cast<int>(lb.listCount()));
                    for (long i = 0; i < lb.listCount(); ++i) all << toQ(lb.list(i));
                    q->clear();
                    q->insertItems(0, all);
                } else {
                    for (const auto& edit : e.edits) {
                        const int row = static_cast<int>(edit.index);
                        if (edit.kind == forms::ListModel::ItemEdit::Insert)
                            q->insertItem(row, toQ(edit.text));
                        else if (edit.kind == forms::ListModel::ItemEdit::Remove)
                            delete q->takeItem(row);
                        else if (QListWidgetItem* item = q->item(row))
                            item->setText(toQ(edit.text));
                    }
                }
                current = lb.listIndex();
                if (current < 0) q->clearSelection();
                q->setCurrentRow(static_cast<int>(current));
                continue;
            }
            auto& fl = static_cast<forms::FileListBox&>(*c);
            lines.reserve(static_cast<std::size_t>(fl.listCount()));
            for (long i = 0; i < fl.listCount(); ++i) lines.push_back(fl.list(i));
            current = fl.listIndex();
            std::vector<std::string>& shown = shownItems[c];
            std::size_t head = 0;
            while (head < shown.size() && head < lines.size() && shown[head] == lines[head]) ++head;
            std::size_t tail = 0;
            while (tail < shown.size() - head && tail < lines.size() - head &&
                   shown[shown.size() - 1 - tail] == lines[lines.size() - 1 - tail])
                ++tail;
            const std::size_t removed = shown.size() - head - tail;
            if (removed == shown.size() && removed > 0) {
                q->clear();
            } else if (removed > 0) {
                q->model()->removeRows(static_cast<int>(head), static_cast<int>(removed));
            }
            QStringList added;
            for (std::size_t i = head; i < lines.size() - tail; ++i) added << toQ(lines[i]);
            if (!added.isEmpty()) q->insertItems(static_cast<int>(head), added);
            shown = std::move(lines);
            if (current < 0) q->clearSelection();
            q->setCurrentRow(static_cast<int>(current));
        }
    }

    void queueRestack() {
        if (restackQueued) return;
        restackQueued = true;
        QTimer::singleShot(0, window, [this, win = QPointer<FormWindow>(window)] {
            if (win && win->peer_ == this) flushRestack();
        });
    }

    void restack(forms::Container& container) {
        for (int pass = 0; pass < 2; ++pass)
            for (Control* c : container.children()) {
                if (lightweight(c->kind()) != (pass == 0)) continue;
                auto it = widgets.find(c);
                if (it != widgets.end()) it->second->raise();
            }
        for (Control* c : container.children())
            if (forms::Container* inner = dynamic_cast<forms::Container*>(c)) restack(*inner);
    }

    void flushRestack() {
        if (!window) return;
        restackQueued = false;
        restack(form);
        QWidget* prev = nullptr;
        for (Control* c : form.tabOrder()) {
            auto it = widgets.find(c);
            if (it == widgets.end() || !c->focusable()) continue;
            it->second->setFocusPolicy(c->tabStop() ? Qt::StrongFocus : Qt::ClickFocus);
            if (prev) QWidget::setTabOrder(prev, it->second);
            prev = it->second;
        }
    }

    static long listIndexOf(Control& c) {
        return c.kind() == Kind::ListBox ? static_cast<forms::ListBox&>(c).listIndex()
                                         : static_cast<forms::FileListBox&>(c).listIndex();
    }
    static void userClickLine(Control& c, int row) {
        if (c.kind() == Kind::ListBox)
            static_cast<forms::ListBox&>(c).clickItem(row);
        else
            static_cast<forms::FileListBox&>(c).clickItem(row);
    }

    // What the user types into a combo box's own text is its Change; a line
    // chosen from the list is its Click alone (Qt rewrites the text then too).
    void wireComboEdit(forms::ComboBox& cb, QComboBox* q) {
        QLineEdit* le = q->lineEdit();
        if (!le || le->property("dovetuneWired").toBool()) return;
        le->setProperty("dovetuneWired", true);
        le->setAttribute(Qt::WA_NoMousePropagation);  // the combo box raises its mouse events once
        QObject::connect(le, &QLineEdit::textEdited, le, [this, &cb, win = QPointer<FormWindow>(window)](const QString& t) {
            if (!win || win->peer_ != this || syncing || !widgets.count(&cb)) return;
            guarded([&] { cb.userEdited(fromQ(t)); });
        });
    }

    void menusChanged() override {}

    void focusChanged(Control* c) override {
        if (!c) return;
        auto it = widgets.find(c);
        if (it == widgets.end()) return;
        Sync s(*this);
        it->second->setFocus(focusReason);
    }
    // Why the focus moves: Tab makes a text box select its whole text, as
    // the original's does when it is tabbed into.
    Qt::FocusReason focusReason = Qt::OtherFocusReason;

    forms::Menu* popupMenu(forms::Menu& menu) override {
        QMenu qm;
        qm.setFont(dialogFont());  // the windows' stand-in face, as the original's menus use the system's
        std::map<QAction*, forms::Menu*> chosen;
        build(qm, menu, chosen);
        std::optional<forms::Menu*> hooked;
        if (auto hook = std::exchange(nextPopupHook(), nullptr)) runWhenShown(qm, chosen, std::move(hook), hooked);
        QAction* a = qm.exec(QCursor::pos());
        if (hooked) return *hooked;
        auto it = chosen.find(a);
        return it == chosen.end() ? nullptr : it->second;
    }

    // Once the menu is on screen and has had time to paint, runs the hook and
    // closes the menu: with the item it named as the choice, or by Escape.
    static void runWhenShown(QMenu& qm, const std::map<QAction*, forms::Menu*>& chosen,
                             std::function<std::string()> hook, std::optional<forms::Menu*>& hooked) {
        auto* timer = new QTimer(&qm);
        timer->setInterval(10);
        auto settled = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, &qm, [&qm, &chosen, &hooked, timer, settled, hook] {
            QWindow* h = qm.windowHandle();
            if (!qm.isVisible() || !h || !h->isExposed()) return;
            if (++*settled < 15) return;  // painted and flushed to the server
            timer->stop();
            std::string name;
            try {
                name = hook();
            } catch (...) {
                std::fprintf(stderr, "formsqt: the popup hook failed; the menu is dismissed\n");
            }
            forms::Menu* item = nullptr;
            for (auto& [action, m] : chosen)
                if (!name.empty() && m->name() == name) item = m;
            if (item) {
                hooked = item;
                qm.close();
            } else {
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(&qm, &esc);
            }
        });
        timer->start();
    }

    void build(QMenu& qm, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen) {
        for (forms::Menu* m : menu.items()) {
            if (!m->visible()) continue;
            if (m->isSeparator()) {
                qm.addSeparator();
                continue;
            }
            QString text = toQ(m->caption());
            if (!m->shortcut().empty()) text += "\t" + toQ(m->shortcut().text());
            if (m->hasItems()) {
                QMenu* sub = qm.addMenu(text);
                sub->setFont(qm.font());
                sub->setEnabled(m->enabled());
                build(*sub, *m, chosen);
            } else {
                QAction* act = qm.addAction(text);
                act->setCheckable(m->checked());
                act->setChecked(m->checked());
                act->setEnabled(m->enabled());
                chosen[act] = m;
            }
        }
    }

    // ---- moving the window by a drag ----
    // The caption drag a MouseDown asks for is armed while the left button
    // is down, and starts (the window manager's move) only once the button
    // has moved beyond the platform's drag distance: a plain click or a
    // double click on the surface stays a click. Where the window manager
    // offers no move, the window follows the pointer itself until the
    // release. The release that ends a real move raises nothing, as the
    // original's move loop swallows it.
    struct WindowDrag {
        bool leftDown = false;        // the left button went down in this window and is held
        QPoint pressAt;               // where it went down, on the screen
        quint64 pressTime = 0;
        bool armed = false;           // a MouseDown asked for the move; no move yet
        bool following = false;       // the window follows the pointer itself
        QPoint grip;                  // the pointer's place on the window while it follows
        bool swallowRelease = false;  // a move happened: its release is not the user's click
    } drag;

    void beginSystemMove() override {
        if (window && drag.leftDown) drag.armed = true;
    }

    // Sees every mouse event of the window before it is delivered; true: it
    // is part of a move and goes no further.
    bool dragFilter(QMouseEvent* e) {
        const QPoint global = e->globalPosition().toPoint();
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                if (e->button() != Qt::LeftButton) return false;
                if (drag.leftDown && drag.pressAt == global && drag.pressTime == e->timestamp()) return false;  // seen
                // A new press: any earlier move has ended, whether or not its
                // release reached this window.
                drag = WindowDrag{};
                drag.leftDown = true;
                drag.pressAt = global;
                drag.pressTime = e->timestamp();
                return false;
            case QEvent::MouseButtonRelease: {
                if (e->button() != Qt::LeftButton) return false;
                bool swallow = drag.swallowRelease;
                drag = WindowDrag{};
                return swallow;
            }
            case QEvent::MouseMove:
                if (!(e->buttons() & Qt::LeftButton)) {
                    if (drag.following || drag.swallowRelease) drag = WindowDrag{};  // released outside the window
                    return false;
                }
                if (drag.following) {
                    window->move(global - drag.grip);
                    return true;
                }
                if (drag.swallowRelease) return true;  // the window manager moves it
                if (!drag.armed || (global - drag.pressAt).manhattanLength() < QApplication::startDragDistance())
                    return false;
                startMove(global);
                return true;
            default: return false;
        }
    }

    void startMove(QPoint global) {
        drag.armed = false;
        drag.swallowRelease = true;
        // The window manager moves the window by the pointer's way from the
        // press, so the window follows the whole drag, the part before the
        // move began included.
        if (startWindowManagerMove(*window, drag.pressAt)) return;
        drag.following = true;
        drag.grip = drag.pressAt - window->pos();
        window->move(global - drag.grip);
    }

    // ---- input ----
    float toScaleX(int pixels) const { return form.toScale(static_cast<float>(pixels * forms::TwipsPerPixel)); }

    Control* controlOf(QObject* o) {
        for (QObject* p = o; p && p != window; p = p->parent()) {
            auto it = owners.find(p);
            if (it != owners.end()) return it->second;
        }
        return nullptr;
    }
};

// ---- the window ----

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), backColour);
    if (!background.isNull()) p.drawImage(0, 0, background);
}

// MouseDown and MouseUp name the one button that went down or up; MouseMove
// names every button held.
void FormWindow::mousePressEvent(QMouseEvent* e) {
    if (!peer_) return;
    QtFormPeer* pe = peer_;
    QPoint at = e->position().toPoint();
    int buttons = buttonsOf(e->button());
    guarded([&] { pe->form.mouseDown(buttons, shiftOf(e->modifiers()), pe->toScaleX(at.x()), pe->toScaleX(at.y())); });
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (!peer_) return;
    QtFormPeer* pe = peer_;
    QPoint at = e->position().toPoint();
    int button = buttonsOf(e->button());
    bool afterDouble = doublePressed && button == forms::vbLeftButton;
    if (button == forms::vbLeftButton) doublePressed = false;
    QPointer<FormWindow> self(this);
    guarded([&] {
        pe->form.mouseUp(button, shiftOf(e->modifiers()), pe->toScaleX(at.x()), pe->toScaleX(at.y()));
        // The release that ends a double click raises no second Click.
        if (button == forms::vbLeftButton && !afterDouble && self && rect().contains(at) && peer_) pe->form.click();
    });
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
    if (!peer_) return;
    QtFormPeer* pe = peer_;
    QPoint at = e->position().toPoint();
    guarded([&] { pe->form.mouseMove(buttonsOf(e->buttons()), shiftOf(e->modifiers()), pe->toScaleX(at.x()), pe->toScaleX(at.y())); });
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!peer_) return;
    if (e->button() != Qt::LeftButton) {  // a double click is the left button's; others press again
        mousePressEvent(e);
        return;
    }
    QtFormPeer* pe = peer_;
    doublePressed = true;
    guarded([&] { pe->form.doubleClick(); });
}

void FormWindow::closeEvent(QCloseEvent* e) {
    e->ignore();
    if (!peer_) return;
    Form* f = &peer_->form;
    QPointer<FormWindow> self(this);
    QTimer::singleShot(0, this, [self, f] {
        if (self && self->peer_) guarded([f] { f->userClose(); });
    });
}

void FormWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!peer_ || peer_->syncing || isMinimized()) return;
    QtFormPeer* pe = peer_;
    QSize s = size();
    if (s.width() == px(pe->form.clientWidthTwips()) && s.height() == px(pe->form.clientHeightTwips())) return;
    guarded([&] {
        pe->form.userResized(static_cast<float>(s.width() * forms::TwipsPerPixel),
                             static_cast<float>(s.height() * forms::TwipsPerPixel));
    });
}

void FormWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (!peer_ || peer_->syncing || isMinimized()) return;
    QtFormPeer* pe = peer_;
    QPoint p = pos();
    if (pe->frameless()) p -= QPoint(pe->form.clientOffsetX(), pe->form.clientOffsetY());
    if (p.x() == px(pe->form.left()) && p.y() == px(pe->form.top())) return;
    pe->form.userMoved(static_cast<float>(p.x() * forms::TwipsPerPixel), static_cast<float>(p.y() * forms::TwipsPerPixel));
}

void FormWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || !peer_ || peer_->syncing) return;
    QtFormPeer* pe = peer_;
    int state = isMinimized() ? forms::vbMinimized : isMaximized() ? forms::vbMaximized : forms::vbNormal;
    guarded([&] { pe->form.userWindowState(state); });
}

namespace {
// The control under a point that accepts drops, or nullptr for the form.
Control* dropTarget(QtFormPeer* pe, QWidget* window, QPoint at) {
    QWidget* child = window->childAt(at);
    Control* c = child ? pe->controlOf(child) : nullptr;
    while (c && c->oleDropMode() == 0) {
        Control* parent = c->container().asControl();
        c = parent;
    }
    return c;
}
}  // namespace

void FormWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (!peer_ || !e->mimeData()->hasUrls()) return;
    QtFormPeer* pe = peer_;
    auto files = filesOf(e->mimeData());
    QPoint at = e->position().toPoint();
    int effect = 0;
    guarded([&] {
        Control* c = dropTarget(pe, this, at);
        effect = c ? c->dragOver(files, forms::vbEnter, pe->toScaleX(at.x()), pe->toScaleX(at.y()))
                   : pe->form.dragOver(files, forms::vbEnter, pe->toScaleX(at.x()), pe->toScaleX(at.y()));
    });
    if (effect != 0) e->acceptProposedAction();
}

void FormWindow::dragMoveEvent(QDragMoveEvent* e) { e->acceptProposedAction(); }

void FormWindow::dropEvent(QDropEvent* e) {
    if (!peer_) return;
    QtFormPeer* pe = peer_;
    auto files = filesOf(e->mimeData());
    QPoint at = e->position().toPoint();
    int effect = 0;
    guarded([&] {
        Control* c = dropTarget(pe, this, at);
        effect = c ? c->dropFiles(files, pe->toScaleX(at.x()), pe->toScaleX(at.y()))
                   : pe->form.dropFiles(files, pe->toScaleX(at.x()), pe->toScaleX(at.y()));
    });
    if (effect != 0)
        e->acceptProposedAction();
    else
        e->ignore();
}

// Keys and the mouse on control widgets: routed through the model before the
// widget sees them.
class InputFilter : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel: break;
            default: return false;
        }
        auto* w = qobject_cast<QWidget*>(o);
        if (!w) return false;
        auto* fw = dynamic_cast<FormWindow*>(w->window());
        if (!fw || !fw->peer_) return false;
        QtFormPeer* pe = fw->peer_;
        if (e->type() != QEvent::Wheel && e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease &&
            e->type() != QEvent::ShortcutOverride && pe->dragFilter(static_cast<QMouseEvent*>(e)))
            return true;
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease || e->type() == QEvent::ShortcutOverride) {
            // Qt hands a key that a widget leaves alone on to its parents, the
            // same event each time: the model sees it once, at its first
            // receiver (the focus widget, or the window when none has it).
            QWidget* first = fw->focusWidget() ? fw->focusWidget() : fw;
            if (w != first) return false;
            return key(pe, w, static_cast<QKeyEvent*>(e));
        }
        if (e->type() == QEvent::Wheel) return wheel(pe, w, static_cast<QWheelEvent*>(e));
        if (w == fw) return false;  // the window's own handlers take its mouse events
        Control* c = pe->controlOf(w);
        if (!c) return false;
        auto* me = static_cast<QMouseEvent*>(e);
        QWidget* cw = pe->widgets.count(c) ? pe->widgets[c] : w;
        QPoint at = w->mapTo(cw, me->position().toPoint());
        float x = pe->toScaleX(at.x()), y = pe->toScaleX(at.y());
        int shift = shiftOf(me->modifiers());
        int button = buttonsOf(me->button());
        bool list = c->kind() == Kind::ListBox || c->kind() == Kind::FileListBox;
        QEvent::Type type = e->type();
        // A double click is the left button's; another button's second press is a press.
        if (type == QEvent::MouseButtonDblClick && button != forms::vbLeftButton) type = QEvent::MouseButtonPress;
        if (type == QEvent::MouseButtonPress && list && button == forms::vbLeftButton) pe->listClickRaised = false;
        bool afterDouble = false;
        if (type == QEvent::MouseButtonRelease && button == forms::vbLeftButton) {
            afterDouble = pe->doublePressed == c;
            pe->doublePressed = nullptr;
        }
        if (type == QEvent::MouseButtonDblClick && clickOnRelease(c->kind())) pe->doublePressed = c;
        guarded([&] {
            switch (type) {
                case QEvent::MouseButtonPress: c->mouseDown(button, shift, x, y); break;
                case QEvent::MouseButtonRelease:
                    c->mouseUp(button, shift, x, y);
                    // The release that ends a double click raises no second Click.
                    if (button == forms::vbLeftButton && !afterDouble && clickOnRelease(c->kind()) && cw->rect().contains(at))
                        c->click();
                    break;
                case QEvent::MouseButtonDblClick:
                    if (clickOnRelease(c->kind())) c->doubleClick();
                    break;
                default: c->mouseMove(buttonsOf(me->buttons()), shift, x, y); break;
            }
        });
        // The right and middle buttons leave a list's selection alone, as on
        // the original platform (a right click pops up a menu for the line
        // that is selected, and does not select another).
        if (list && button != forms::vbLeftButton && e->type() != QEvent::MouseMove) return true;
        // The mouse on a label, an image, a picture box or a frame is that
        // control's alone: it does not reach the form's surface beneath.
        return clickOnRelease(c->kind()) && c->kind() != Kind::TextBox;
    }

private:
    // The wheel turned over the window's surface or over a control that does
    // not scroll moves the slider that holds the focus: the original hands
    // the wheel to the focused control, and the main window's rockers take it
    // so. Over a list, a text box, a combo box or another slider the wheel
    // scrolls that control.
    bool wheel(QtFormPeer* pe, QWidget* w, QWheelEvent* e) {
        Control* focused = pe->form.activeControl();
        if (!focused || focused->kind() != Kind::Slider) return false;
        auto it = pe->widgets.find(focused);
        if (it == pe->widgets.end() || it->second == w || it->second->isAncestorOf(w)) return false;
        Control* under = pe->controlOf(w);
        if (under && (under->kind() == Kind::ListBox || under->kind() == Kind::FileListBox || under->kind() == Kind::TextBox ||
                      under->kind() == Kind::ComboBox || under->kind() == Kind::Slider))
            return false;
        std::unique_ptr<QEvent> copy(e->clone());
        QApplication::sendEvent(it->second, copy.get());
        return true;
    }

    // Whether Alt and this key name a control's access key.
    static bool accessKeyOf(Form& f, int code, int shift) {
        if ((shift & (forms::vbAltMask | forms::vbCtrlMask)) != forms::vbAltMask) return false;
        for (Control* c : f.tabOrder())
            if (c->accessKey() == code) return true;
        return false;
    }

    // Qt hands a key that a widget leaves alone on to its parent, through
    // this filter again; the model had the key at its first delivery (a
    // KeyPreview form's KeyDown must not run once per parent).
    const QEvent* lastKey_ = nullptr;
    QEvent::Type lastKeyType_ = QEvent::None;
    QPointer<QWidget> lastKeyReceiver_;
    bool propagated(QWidget* w, QEvent* e) {
        if (e == lastKey_ && e->type() == lastKeyType_ && lastKeyReceiver_ && lastKeyReceiver_->parentWidget() == w) {
            lastKeyReceiver_ = w;
            return true;
        }
        lastKey_ = e;
        lastKeyType_ = e->type();
        lastKeyReceiver_ = w;
        return false;
    }

    // The enabled, visible command button of the form whose Default (or
    // Cancel) is set, or nullptr.
    static forms::CommandButton* markedButton(Form& f, bool cancel) {
        for (Control* c : f.controls()) {
            if (c->kind() != Kind::CommandButton || !c->effectivelyVisible() || !c->effectivelyEnabled()) continue;
            auto* b = static_cast<forms::CommandButton*>(c);
            if (cancel ? b->cancel() : b->isDefault()) return b;
        }
        return nullptr;
    }

    // Tab, Enter and Escape as the original's windows take them, before the
    // widget and the model's KeyDown see them. Tab (Shift+Tab backwards)
    // moves the focus along the tab order from any control, a text box of
    // one line or many included; a multi-line box takes it as text only when
    // no other control can take the focus, and Ctrl+Tab types it there.
    // Enter presses the focused command button, or, with the focus on any
    // other control, the form's Default button; Escape presses its Cancel
    // button. A key used so raises no KeyDown, KeyPress or KeyUp (the
    // Default and Cancel buttons' Click alone, the focus left where it is).
    // True when the key was used.
    bool dialogKey(QtFormPeer* pe, QWidget* w, QKeyEvent* e) {
        const int key = e->key();
        const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        const bool escape = key == Qt::Key_Escape;
        if (!tab && !enter && !escape) return false;
        const int shift = shiftOf(e->modifiers());
        if (shift & forms::vbAltMask) return false;
        Form& f = pe->form;
        if (!f.isLoaded() || f.findShortcut(keyCodeOf(key), shift)) return false;  // a menu accelerator goes first
        Control* focused = f.activeControl();
        QPointer<QWidget> target(w);
        bool used = false;
        guarded([&] {
            if (tab) {
                if (shift & forms::vbCtrlMask) {
                    auto* box = focused && focused->kind() == Kind::TextBox ? static_cast<forms::TextBox*>(focused) : nullptr;
                    if (!box || !box->multiLine()) return;
                    used = true;
                    if (f.keyDown(forms::vbKeyTab, shift)) return;
                    int k = f.keyPress(9);
                    auto* edit = qobject_cast<QPlainTextEdit*>(target.data());
                    if (k != 0 && edit && !box->locked() && f.activeControl() == box) edit->insertPlainText(QString(QChar(k)));
                    return;
                }
                bool other = false;
                for (Control* c : f.tabOrder())
                    if (c != focused && f.takesTab(*c)) other = true;
                if (!other) return;
                used = true;
                pe->focusReason = Qt::TabFocusReason;
                f.tabToNext(key == Qt::Key_Backtab || (shift & forms::vbShiftMask));
                pe->focusReason = Qt::OtherFocusReason;
                return;
            }
            if (shift & forms::vbCtrlMask) return;
            if (escape) {
                forms::CommandButton* cancel = markedButton(f, true);
                if (!cancel) return;
                used = true;
                cancel->setValue(true);
                return;
            }
            forms::CommandButton* def = markedButton(f, false);
            if (focused && focused->kind() == Kind::CommandButton) {
                used = true;
                // Without a Default button the key reaches the button's KeyDown first.
                if (!def && f.keyDown(forms::vbKeyReturn, shift)) return;
                if (f.isLoaded() && f.activeControl() == focused) focused->click();
                return;
            }
            if (!def) return;
            used = true;
            def->setValue(true);
        });
        return used;
    }

    // The key whose press dialogKey used, until its release.
    int dialogKeyDown_ = 0;

    bool key(QtFormPeer* pe, QWidget* w, QKeyEvent* e) {
        if (propagated(w, e)) return false;
        int code = keyCodeOf(e->key());
        int shift = shiftOf(e->modifiers());
        if (e->type() == QEvent::ShortcutOverride) {
            // Accelerators and access keys of the model win over the widgets'
            // own shortcuts (Qt makes one of each underlined letter).
            if (code && (pe->form.findShortcut(code, shift) || accessKeyOf(pe->form, code, shift))) e->accept();
            return false;
        }
        if (e->type() == QEvent::KeyRelease) {
            if (code && code == dialogKeyDown_ && !e->isAutoRepeat()) {
                dialogKeyDown_ = 0;  // its press went to no KeyDown: its release goes to no KeyUp
                return true;
            }
            if (code && !e->isAutoRepeat()) guarded([&] { pe->form.keyUp(code, shift); });
            return false;
        }
        if (dialogKey(pe, w, e)) {
            dialogKeyDown_ = code;
            return true;
        }
        bool eat = false;
        Form* f = &pe->form;
        QPointer<QWidget> target(w);
        guarded([&] {
            if (code && f->keyDown(code, shift)) {
                eat = true;
                return;
            }
            QString text = e->text();
            if (text.size() != 1) return;
            int ascii = text.at(0).unicode();
            if (ascii > 255) return;
            int k = f->keyPress(ascii);
            if (k == ascii) return;
            eat = true;
            if (k != 0 && target) {
                if (auto* le = qobject_cast<QLineEdit*>(target.data())) le->insert(QString(QChar(k)));
                if (auto* pt = qobject_cast<QPlainTextEdit*>(target.data())) pt->insertPlainText(QString(QChar(k)));
            }
        });
        return eat;
    }
};

}  // namespace

QtBackend::QtBackend() : filter_(std::make_unique<InputFilter>()) {
    qApp->installEventFilter(filter_.get());
    QObject::connect(qApp, &QApplication::focusChanged, filter_.get(), [](QWidget*, QWidget* now) {
        if (!now) return;
        auto* fw = dynamic_cast<FormWindow*>(now->window());
        if (!fw || !fw->peer_ || fw->peer_->syncing) return;
        QtFormPeer* pe = fw->peer_;
        Control* c = pe->controlOf(now);
        if (c) guarded([&] { pe->form.userFocus(c); });
    });
}

QtBackend::~QtBackend() {
    if (qApp) qApp->removeEventFilter(filter_.get());
}

std::unique_ptr<forms::FormPeer> QtBackend::createPeer(Form& form) { return std::make_unique<QtFormPeer>(form); }

forms::ScreenSize QtBackend::screenSize() const {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {};
    return {s->size().width(), s->size().height()};
}

QWidget* QtBackend::widgetOf(Control& c) {
    auto it = peers().find(&c.form());
    if (it == peers().end()) return nullptr;
    auto w = it->second->widgets.find(&c);
    return w == it->second->widgets.end() ? nullptr : w->second;
}

void QtBackend::setNextPopupHook(std::function<std::string()> fn) { nextPopupHook() = std::move(fn); }

QWidget* QtBackend::windowOf(Form& f) {
    auto it = peers().find(&f);
    return it == peers().end() ? nullptr : it->second->window.data();
}

}  // namespace formsqt
