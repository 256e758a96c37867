// Labels and text boxes: their widgets (QLabel, QLineEdit, QPlainTextEdit),
// what the user types, and the caption, text and style each shows.

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <string>

#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

QWidget* QtFormPeer::makeLabel(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setBuddy(l);
    return l;
}

void TextAreaStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    if (element == PE_Frame && qobject_cast<const QPlainTextEdit*>(widget)) element = PE_FrameLineEdit;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QWidget* QtFormPeer::makeTextBox(Control& c, QWidget* parent) {
    auto& t = static_cast<forms::TextBox&>(c);
    if (t.multiLine()) {
        auto* e = new QPlainTextEdit(parent);
        auto* look = new TextAreaStyle;
        look->setParent(e);
        e->setStyle(look);
        QObject::connect(e, &QPlainTextEdit::textChanged, [this, &t, e] {
            if (syncing) return;
            guarded([&] { t.userEdited(fromQ(e->toPlainText()), e->textCursor().position()); });
        });
        return e;
    } else {
        auto* e = new QLineEdit(parent);
        QObject::connect(e, &QLineEdit::textEdited, [this, &t, e](const QString& text) {
            if (syncing) return;
            guarded([&] { t.userEdited(fromQ(text), e->cursorPosition()); });
        });
        return e;
    }
}

void QtFormPeer::syncLabel(Control& c, QWidget* w, Prop what) {
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
}

void QtFormPeer::syncTextBox(Control& c, QWidget* w, Prop what) {
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
}

// A label one line high keeps its caption on that line, cut off at its
// right edge, so the user reads as much of it as fits; a label with room
// for more lines (or with WordWrap set) breaks its caption between words
// to fill them. Line breaks in the caption break it in either case.
void QtFormPeer::applyWrap(forms::Label& l, QLabel* q) {
    bool roomy = q->height() >= 2 * QFontMetrics(q->font()).lineSpacing();
    q->setWordWrap(l.wordWrap() || roomy);
}

}  // namespace formsqt
