// Each downloader build on the real Qt backend (offscreen): the window's
// caption, the catalogue in its list, and Songhaul1's fixed size against a
// resize that comes through Qt; and one download clicked through Qt, with
// the socket and both timers on Qt's event loop. One build per test, so each
// runs in a process of its own.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include "downloader/Form1.hpp"
#include "downloader/catalogue.hpp"
#include "formsqt/run.hpp"
#include "nettest/scripted_server.hpp"
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
        if (b->text() == "&Run") {
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

// A download clicked through Qt: the socket and both timers run on Qt's
// event loop, and the labels on screen show the finished transfer.
TEST(SonghaulSmoke, DownloadThroughTheWindow) {
    testsupport::TempDir dir;
    runtime::App::setForTest(dir.path(), {}, "Songhaul1");
    downloader::SetBuild(1);
    std::string body(70000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 251);
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        c.readHead();
        c.send("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\n\r\n");
        c.sendInPieces(body, 10000, 20);
    });

    formsqt::Session session;
    auto& form = forms::Get<downloader::Form1>();
    form.show();
    session.processEvents(50);
    form.txtFrom.setText(server.url("/Songhaul%20Sampler.mp3"));
    form.List1.setListIndex(5);
    ASSERT_TRUE(session.click(form.Command1));
    ASSERT_TRUE(session.waitUntil([&] { return form.lblStatus.caption() == "Download Completed"; }, 10000));
    session.processEvents(50);

    EXPECT_EQ(testsupport::readFile(dir.path() + "/Media/" + form.List1.list(5) + ".mp3"), body);
    QWidget* window = windowTitled("Songhaul1");
    ASSERT_NE(window, nullptr);
    QStringList shown;
    for (QLabel* l : window->findChildren<QLabel*>()) shown << l->text();
    EXPECT_TRUE(shown.contains("68.36 KB")) << shown.join("|").toStdString();
    EXPECT_TRUE(shown.contains("100")) << shown.join("|").toStdString();
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (b->text() == "&Run") {
            EXPECT_TRUE(b->isEnabled());
        }
    }
    form.unload();
}
