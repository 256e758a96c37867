// Each downloader build on the real Qt backend (offscreen): the window's
// caption, the catalogue in its list, and Songhaul1's fixed size against a
// resize that comes through Qt. One build per test, so each runs in a
// process of its own.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include "downloader/Form1.hpp"
#include "downloader/catalogue.hpp"
#include "formsqt/run.hpp"
#include "runtime/app.hpp"
#include "testsupport/support.hpp"

namespace {

QWidget* windowTitled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title) return w;
    return nullptr;
}

void smoke(int build) {
    testsupport::TempDir dir;
    const std::string caption = "Songhaul" + std::to_string(build);
    runtime::App::setForTest(dir.path(), {}, caption);
    ::mkdir((dir.path() + "/Media").c_str(), 0755);
    downloader::SetBuild(build);

    formsqt::Session session;
    auto& form = forms::Get<downloader::Form1>();
    form.show();
    session.processEvents(100);

    QWidget* window = windowTitled(QString::fromStdString(caption));
    ASSERT_NE(window, nullptr) << "no window titled " << caption;
    const int lines = static_cast<int>(downloader::catalogue(build).size());
    bool listed = false;
    for (QListWidget* list : window->findChildren<QListWidget*>())
        if (list->count() == lines && list->item(0)->text() == QString::fromStdString(downloader::catalogue(build)[0]))
            listed = true;
    EXPECT_TRUE(listed) << "no list shows the " << lines << " catalogue lines";
    int runButtons = 0;
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == "Run") {
            ++runButtons;
            EXPECT_FALSE(b->isEnabled()) << "Run waits for a completed download";
        }
    EXPECT_EQ(runButtons, 1);

    const QSize before = window->size();
    window->resize(before.width() / 2, before.height() / 2);
    session.processEvents(200);
    if (build == 1) {
        EXPECT_EQ(form.width(), 11385);
        EXPECT_EQ(form.height(), 8505);
        EXPECT_EQ(window->size(), before) << "Songhaul1 snaps back to its size";
    } else {
        EXPECT_EQ(window->size(), QSize(before.width() / 2, before.height() / 2));
        EXPECT_EQ(form.clientWidthTwips(), static_cast<float>(before.width() / 2 * 15));
    }
    form.unload();
}

}  // namespace

TEST(SonghaulSmoke, Songhaul1) { smoke(1); }
TEST(SonghaulSmoke, Songhaul2) { smoke(2); }
TEST(SonghaulSmoke, Songhaul3) { smoke(3); }
