// Conversions between the forms' model and Qt: text, colours, pictures,
// fonts (with the stand-ins for faces that are not installed), dropped files,
// mouse buttons, shift keys, key codes and mouse pointers.

#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMimeData>
#include <QPixmap>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

#include "forms/clipboard.hpp"
#include "qt_convert.hpp"
#include "qt_internal.hpp"

namespace formsqt {

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

QColor colourOf(forms::Colour c) {
    forms::Colour r = forms::resolveColour(c);
    return QColor(forms::redOf(r), forms::greenOf(r), forms::blueOf(r));
}

QImage imageOf(const forms::Picture& p) {
    if (p.empty()) return {};
    QImage img(p.rgba().data(), p.width(), p.height(), p.width() * 4, QImage::Format_RGBA8888);
    return img.copy();
}

namespace {

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

}  // namespace formsqt
