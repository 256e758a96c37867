// Combo boxes on a QComboBox: its drop-down list, the line chosen and the
// text typed into it.

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QVariant>

#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

int ComboListStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QWidget* QtFormPeer::makeComboBox(Control& c, QWidget* parent) {
    auto& cb = static_cast<forms::ComboBox&>(c);
    auto* b = new QComboBox(parent);
    auto* look = new ComboListStyle;
    look->setParent(b);
    b->setStyle(look);
    QObject::connect(b, qOverload<int>(&QComboBox::activated), [this, &cb](int i) {
        if (!syncing) guarded([&] { cb.chooseItem(i); });
    });
    return b;
}

void QtFormPeer::syncComboBox(Control& c, QWidget* w, Prop what) {
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
}

// What the user types into a combo box's own text is its Change; a line
// chosen from the list is its Click alone (Qt rewrites the text then too).
void QtFormPeer::wireComboEdit(forms::ComboBox& cb, QComboBox* q) {
    QLineEdit* le = q->lineEdit();
    if (!le || le->property("dovetuneWired").toBool()) return;
    le->setProperty("dovetuneWired", true);
    le->setAttribute(Qt::WA_NoMousePropagation);  // the combo box raises its mouse events once
    QObject::connect(le, &QLineEdit::textEdited, le, [this, &cb, win = QPointer<FormWindow>(window)](const QString& t) {
        if (!win || win->peer_ != this || syncing || !widgets.count(&cb)) return;
        guarded([&] { cb.userEdited(fromQ(t)); });
    });
}

}  // namespace formsqt
