// List boxes and file list boxes on a QListWidget: the widget and its
// clicks, the lines it holds (replayed from the list's edits after a burst
// of changes) and the selected line.

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <string>
#include <utility>
#include <vector>

#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

using forms::Kind;

void ListLineDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    bool focus = opt.state & QStyle::State_HasFocus;
    opt.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(p, opt, index);
    if (!focus) return;
    bool selected = opt.state & QStyle::State_Selected;
    drawFocusMark(*p, opt.rect.adjusted(0, 0, -1, -1),
                  opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
}

QWidget* QtFormPeer::makeList(Control& c, QWidget* parent) {
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
    return l;
}

void QtFormPeer::syncList(Control& c, QWidget* w, Prop what) {
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
}

// List items change in bursts (a catalogue of a thousand lines is added
// one line at a time): the widget is refilled once, after the burst.
void QtFormPeer::queueItems(Control& c) {
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
void QtFormPeer::flushItems() {
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
            // A selected line in view stays in view as lines go in above it
            // (a long playlist listed while the search box selects in it).
            const QListWidgetItem* was = q->currentItem();
            const bool inView = was && q->viewport()->rect().intersects(q->visualItemRect(was));
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
            if (inView && current >= 0) q->scrollToItem(q->item(static_cast<int>(current)));
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

long QtFormPeer::listIndexOf(Control& c) {
    return c.kind() == Kind::ListBox ? static_cast<forms::ListBox&>(c).listIndex()
                                     : static_cast<forms::FileListBox&>(c).listIndex();
}

void QtFormPeer::userClickLine(Control& c, int row) {
    if (c.kind() == Kind::ListBox)
        static_cast<forms::ListBox&>(c).clickItem(row);
    else
        static_cast<forms::FileListBox&>(c).clickItem(row);
}

}  // namespace formsqt
