#pragma once
// The Qt peer of a form: one top-level window (FormWindow) per form, one
// widget per control. Its methods are spread by concern:
//   qt_form_peer.cpp      the window's geometry, flags and state; adding,
//                         removing and syncing controls; stacking and focus
//   qt_window.cpp         the window's own events (paint, mouse, close, drops)
//   qt_window_manager.cpp the move by a drag and the window's shape
//   qt_menu.cpp           popup menus
//   qt_input.cpp          keys, the mouse and the wheel on control widgets
//   qt_label_text.cpp, qt_button.cpp, qt_list.cpp, qt_combo.cpp,
//   qt_picture.cpp, qt_frame.cpp, qt_shape.cpp, qt_slider.cpp
//                         each control kind's widget: made, wired, synced

#include <QImage>
#include <QColor>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "forms/backend.hpp"
#include "forms/controls.hpp"
#include "forms/form.hpp"

class QComboBox;
class QLabel;
class QMenu;
class QAction;
class QMouseEvent;

namespace formsqt {

class QtFormPeer;

// Every form's peer, by form.
std::map<forms::Form*, QtFormPeer*>& peers();

// What the next popup menu runs while it is open (Session::onNextPopup).
std::function<std::string()>& nextPopupHook();

// Keys and the mouse on control widgets, routed through the model before the
// widget sees them: the application's event filter.
std::unique_ptr<QObject> makeInputFilter();

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
bool startWindowManagerMove(QWidget& window, QPoint pressAt);

class QtFormPeer : public forms::FormPeer {
public:
    using Control = forms::Control;
    using Prop = forms::Prop;

    explicit QtFormPeer(forms::Form& f);
    ~QtFormPeer() override;

    forms::Form& form;
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

    // ---- window (qt_form_peer.cpp) ----
    bool frameless() const { return form.borderStyle() == forms::BorderStyle::None || form.region().has_value(); }
    void applyGeometry();
    bool toolWindow() const {
        return form.borderStyle() == forms::BorderStyle::FixedToolWindow ||
               form.borderStyle() == forms::BorderStyle::SizableToolWindow;
    }
    void applySizeLimits(int w, int h);
    void applyFlags();
    void applyIcon();
    // Shows the window; activate: the keyboard goes to it (the form's show,
    // not a change of flags that makes its native window anew).
    void showWindow(bool activate);
    void activateWindow();
    void formChanged(forms::FormProp what) override;

    // ---- the window's shape (qt_window_manager.cpp) ----
    void applyRegion();

    // ---- controls (qt_form_peer.cpp) ----
    QWidget* containerWidget(Control& c);
    void own(QWidget* w, Control& c);
    void controlAdded(Control& c) override;
    void controlRemoved(Control& c) override;
    void syncAll(Control& c);
    void controlChanged(Control& c, Prop what) override { syncControl(c, what); }
    void applyColours(Control& c, QWidget* w);
    void syncControl(Control& c, Prop what);
    forms::PixelRect relativeRect(Control& c);
    void syncKind(Control& c, QWidget* w, Prop what);

    // ---- each kind's widget: made and wired, then synced with its control ----
    // qt_label_text.cpp: labels and text boxes
    QWidget* makeLabel(QWidget* parent);
    QWidget* makeTextBox(Control& c, QWidget* parent);
    void syncLabel(Control& c, QWidget* w, Prop what);
    void syncTextBox(Control& c, QWidget* w, Prop what);
    static void applyWrap(forms::Label& l, QLabel* q);
    // qt_button.cpp: command buttons, check boxes and option buttons
    QWidget* makeCommandButton(Control& c, QWidget* parent);
    QWidget* makeCheckBox(Control& c, QWidget* parent);
    QWidget* makeOptionButton(Control& c, QWidget* parent);
    void syncCommandButton(Control& c, QWidget* w, Prop what);
    void syncCheckBox(Control& c, QWidget* w, Prop what);
    void syncOptionButton(Control& c, QWidget* w, Prop what);
    // qt_list.cpp: list boxes and file list boxes
    QWidget* makeList(Control& c, QWidget* parent);
    void syncList(Control& c, QWidget* w, Prop what);
    void queueItems(Control& c);
    void flushItems();
    static long listIndexOf(Control& c);
    static void userClickLine(Control& c, int row);
    // qt_combo.cpp
    QWidget* makeComboBox(Control& c, QWidget* parent);
    void syncComboBox(Control& c, QWidget* w, Prop what);
    void wireComboEdit(forms::ComboBox& cb, QComboBox* q);
    // qt_picture.cpp: images and picture boxes
    void syncImage(Control& c, QWidget* w, Prop what);
    void syncPictureBox(Control& c, QWidget* w, Prop what);
    // qt_frame.cpp
    void syncFrame(Control& c, QWidget* w, Prop what);
    // qt_shape.cpp
    QWidget* makeShape(Control& c, QWidget* parent);
    // qt_slider.cpp: sliders and progress bars
    QWidget* makeSlider(Control& c, QWidget* parent);
    void syncSlider(Control& c, QWidget* w, Prop what);
    void syncProgressBar(Control& c, QWidget* w);

    // ---- stacking and focus (qt_form_peer.cpp) ----
    void queueRestack();
    void restack(forms::Container& container);
    void flushRestack();
    // Counts the changes of the form's menus: a submenu filled as it opens
    // is made again only when its handler changed something.
    void menusChanged() override { ++menuChanges; }
    std::uint64_t menuChanges = 0;
    void focusChanged(Control* c) override;
    // Why the focus moves: Tab makes a text box select its whole text, as
    // the original's does when it is tabbed into.
    Qt::FocusReason focusReason = Qt::OtherFocusReason;

    // ---- popup menus (qt_menu.cpp) ----
    forms::Menu* popupMenu(forms::Menu& menu) override;
    static void runWhenShown(QMenu& qm, const std::map<QAction*, forms::Menu*>& chosen,
                             std::function<std::string()> hook, std::optional<forms::Menu*>& hooked);
    void build(QMenu& qm, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen);
    void addRange(QMenu& qm, const std::vector<forms::Menu*>& items, std::map<QAction*, forms::Menu*>& chosen);
    void addItems(QMenu& qm, const std::vector<forms::Menu*>& items, std::map<QAction*, forms::Menu*>& chosen);
    void refill(QMenu& sub, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen);

    // ---- moving the window by a drag (qt_window_manager.cpp) ----
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

    void beginSystemMove() override;
    // Sees every mouse event of the window before it is delivered; true: it
    // is part of a move and goes no further.
    bool dragFilter(QMouseEvent* e);
    void startMove(QPoint global);

    // ---- input ----
    float toScaleX(int pixels) const { return form.toScale(static_cast<float>(pixels * forms::TwipsPerPixel)); }
    Control* controlOf(QObject* o);
};

}  // namespace formsqt
