#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "forms/application.hpp"
#include "qt_internal.hpp"

namespace formsqt {

namespace {
QWidget* ownerOf(std::int32_t hwnd) {
    forms::Form* f = hwnd ? forms::FromHwnd(hwnd) : nullptr;
    QWidget* w = f ? QtBackend::windowOf(*f) : nullptr;
    return w && w->isVisible() ? w : nullptr;
}

// "*.Mp3; *.Wav" -> "*.Mp3 *.Wav"
QString patternsOf(const std::string& patterns) {
    QStringList out;
    for (const QString& p : toQ(patterns).split(';', Qt::SkipEmptyParts)) {
        QString t = p.trimmed();
        if (!t.isEmpty()) out << t;
    }
    return out.join(' ');
}
}  // namespace

int QtDialogs::messageBox(const forms::MessageBoxRequest& r) {
    QMessageBox box(QApplication::activeWindow());
    box.setFont(dialogFont());
    box.setWindowTitle(toQ(r.title));
    box.setText(toQ(r.prompt));
    switch (r.buttons & 0x70) {
        case forms::vbCritical: box.setIcon(QMessageBox::Critical); break;
        case forms::vbQuestion: box.setIcon(QMessageBox::Question); break;
        case forms::vbExclamation: box.setIcon(QMessageBox::Warning); break;
        case forms::vbInformation: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon);
    }
    std::vector<std::pair<QPushButton*, int>> answers;
    auto add = [&](QMessageBox::StandardButton b, int answer) {
        answers.emplace_back(box.addButton(b), answer);
    };
    switch (r.buttons & 0x7) {
        case forms::vbOKCancel: add(QMessageBox::Ok, forms::vbOK); add(QMessageBox::Cancel, forms::vbCancel); break;
        case forms::vbAbortRetryIgnore:
            add(QMessageBox::Abort, forms::vbAbort);
            add(QMessageBox::Retry, forms::vbRetry);
            add(QMessageBox::Ignore, forms::vbIgnore);
            break;
        case forms::vbYesNoCancel:
            add(QMessageBox::Yes, forms::vbYes);
            add(QMessageBox::No, forms::vbNo);
            add(QMessageBox::Cancel, forms::vbCancel);
            break;
        case forms::vbYesNo: add(QMessageBox::Yes, forms::vbYes); add(QMessageBox::No, forms::vbNo); break;
        case forms::vbRetryCancel: add(QMessageBox::Retry, forms::vbRetry); add(QMessageBox::Cancel, forms::vbCancel); break;
        default: add(QMessageBox::Ok, forms::vbOK);
    }
    int def = (r.buttons >> 8) & 0x3;
    if (def < static_cast<int>(answers.size())) box.setDefaultButton(answers[static_cast<std::size_t>(def)].first);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (auto& [b, answer] : answers)
        if (b == clicked) return answer;
    // Closed without a button: Cancel where there is one, else the only answer.
    for (auto& [b, answer] : answers)
        if (answer == forms::vbCancel) return answer;
    return answers.back().second;
}

std::optional<std::string> QtDialogs::inputBox(const forms::InputBoxRequest& r) {
    QInputDialog dlg(QApplication::activeWindow());
    dlg.setFont(dialogFont());
    dlg.setWindowTitle(toQ(r.title));
    dlg.setLabelText(toQ(r.prompt));
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setTextValue(toQ(r.defaultText));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return fromQ(dlg.textValue());
}

forms::FileDialogResult QtDialogs::fileDialog(const forms::FileDialogRequest& r) {
    QFileDialog dlg(ownerOf(r.owner), toQ(r.title), toQ(r.initialDir));
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (r.save)
        dlg.setFileMode(QFileDialog::AnyFile);
    else
        dlg.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles : (r.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    if (!r.save || !r.overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
    if (!r.defaultExt.empty()) dlg.setDefaultSuffix(toQ(r.defaultExt));
    QStringList filters;
    for (auto& f : r.filters) filters << toQ(f.description) + " (" + patternsOf(f.patterns) + ")";
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        int i = std::clamp(r.filterIndex, 1, static_cast<int>(filters.size()));
        dlg.selectNameFilter(filters[i - 1]);
    }
    if (!r.fileName.empty()) dlg.selectFile(toQ(r.fileName));
    forms::FileDialogResult out;
    out.readOnlyChecked = r.readOnlyChecked;
    if (dlg.exec() != QDialog::Accepted) return out;
    for (const QString& f : dlg.selectedFiles()) out.paths.push_back(fromQ(f));
    out.accepted = !out.paths.empty();
    int idx = static_cast<int>(filters.indexOf(dlg.selectedNameFilter()));
    out.filterIndex = idx >= 0 ? idx + 1 : r.filterIndex;
    return out;
}

std::optional<std::string> QtDialogs::browseForFolder(const forms::FolderRequest& r) {
    QFileDialog dlg(ownerOf(r.owner), toQ(r.title));
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return fromQ(dlg.selectedFiles().front());
}

// ---- clipboard ----

void QtClipboard::clear() { QGuiApplication::clipboard()->clear(); }

void QtClipboard::setText(const std::string& text) { QGuiApplication::clipboard()->setText(toQ(text)); }

std::string QtClipboard::text() { return fromQ(QGuiApplication::clipboard()->text()); }

bool QtClipboard::setFiles(const std::vector<std::string>& paths) {
    // Everything is prepared first; the clipboard's contents change in one step.
    auto* data = new QMimeData;
    // The URIs are made from the names' bytes, which QUrl would not keep.
    data->setData("text/uri-list", QByteArray::fromStdString(forms::uriList(paths)));
    data->setData("x-special/gnome-copied-files", QByteArray::fromStdString(forms::gnomeCopiedFiles(paths)));
    QStringList plain;
    for (auto& p : paths) plain << toQ(p);
    data->setText(plain.join('\n'));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

std::vector<std::string> QtClipboard::files() {
    return filesOf(QGuiApplication::clipboard()->mimeData());
}

}  // namespace formsqt
