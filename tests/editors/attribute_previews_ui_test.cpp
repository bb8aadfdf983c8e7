// The attribute window's previews (picture, sound, video), its link opening and its clipboard
// commands.
#include "editors/attribute_window.h"

#include "common/audio_output.h"
#include "common/audio_stream.h"
#include "editors/tone_file.h"
#include "editors/video_player_window.h"
#include "project/map_file.h"
#include "project/picture_decoder_qt.h"
#include "project/project_state.h"
#include "support/test_files.h"
#include "support/wait_for.h"
#include "support/widget_events.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

using editors::TForm8;
using project::Field;
using testing_support::TempDir;
using testing_support::writeFile;

// Records the addresses handed to the system's "open" instead of opening them.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    UrlRecorder() {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> urls;

  public slots:
    void open(const QUrl& url) { urls << url; }
};

using testing_support::waitFor;

namespace {

class AttributePreviews : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<TForm8>(project);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override {
        if (common::AudioStreamHandle s = form->previewStream()) common::freeStream(s);
    }

    QLineEdit* edit(const char* name) { return form->findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(name); }
    QPlainTextEdit* memo() { return form->findChild<QPlainTextEdit*>("Memo1"); }
    QLabel* preview() { return form->findChild<QLabel*>("Image1"); }
    editors::VideoPlayerWindow* player() {
        return form->findChild<editors::VideoPlayerWindow*>("MediaPlayer1");
    }
    QAction* menuItem(const char* name) { return form->findChild<QAction*>(name); }
    const std::string& cell(Field f) { return project.myAttrs.get(f, 0, 0); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QSize previewSize() {
        const QPixmap shown = preview()->pixmap();
        return shown.isNull() ? QSize() : shown.size();
    }

    // Replaces the box's text by typing, a line break with the Return key; stays in the box.
    static void type(QWidget* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        const QStringList lines = text.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, lines[i]);
        }
    }
    static void leave(QWidget* box) {
        ASSERT_TRUE(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Tab);
        ASSERT_FALSE(box->hasFocus());
    }

    // A picture whose four corners have colours of their own, so that scaling shows which
    // source pixels were taken.
    std::string picture(const std::string& name, int w, int h, const char* format = nullptr) {
        QImage image(w, h, QImage::Format_RGB888);
        image.fill(QColor(0x80, 0x80, 0x80));
        image.setPixelColor(0, 0, QColor(0xFF0000));
        image.setPixelColor(w - 1, 0, QColor(0x00FF00));
        image.setPixelColor(0, h - 1, QColor(0x0000FF));
        image.setPixelColor(w - 1, h - 1, QColor(0xFFFF00));
        const std::string path = dir.file(name);
        if (name.ends_with(".gif")) // Qt writes no GIF; the map file writer does
            EXPECT_TRUE(project::writeMapFile(path, project::rasterFromImage(image)));
        else
            EXPECT_TRUE(image.save(QString::fromStdString(path), format));
        return path;
    }

    TempDir dir;
    project::ProjectState project;
    std::unique_ptr<TForm8> form;
};

TEST_F(AttributePreviews, LeavingThePictureBoxShowsThePictureFittedToThePreview) {
    struct Case {
        const char* name;
        int w, h;
        QSize shown;
    };
    const Case cases[] = {
        {"wide.png", 400, 200, {170, 85}},   // limited by the width
        {"tall.png", 100, 356, {50, 178}},   // limited by the height
        {"small.png", 40, 30, {40, 30}},     // its own size
        {"exact.png", 170, 178, {170, 178}}, // fits as it is
        {"photo.JPG", 340, 400, {151, 178}}, // 340 × 178 / 400 = 151.3
        {"anim.gif", 510, 100, {170, 33}},   // 100 × 170 / 510 = 33.3
        {"thin.jpeg", 2000, 4, {170, 1}},    // never thinner than a pixel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = picture(c.name, c.w, c.h);
        type(edit("Edit3"), QString::fromStdString(path));
        leave(edit("Edit3"));
        EXPECT_EQ(cell(project::picture), path);
        ASSERT_EQ(previewSize(), c.shown);
        if (QString(c.name).contains(".jp", Qt::CaseInsensitive)) continue; // lossy
        // Corners come from the corners: nearest-pixel scaling, no smoothing.
        const QImage shown = preview()->pixmap().toImage();
        EXPECT_EQ(shown.pixelColor(0, 0), QColor(0xFF0000));
        EXPECT_EQ(shown.pixelColor(c.shown.width() - 1, 0), QColor(0x00FF00));
        EXPECT_EQ(shown.pixelColor(0, c.shown.height() - 1), QColor(0x0000FF));
        EXPECT_EQ(shown.pixelColor(c.shown.width() - 1, c.shown.height() - 1), QColor(0xFFFF00));
    }
    EXPECT_EQ(preview()->alignment(), Qt::AlignCenter);
    EXPECT_EQ(preview()->geometry(), QRect(638, 39, 170, 178));
}

TEST_F(AttributePreviews, RefreshAndStoreReloadThePreview) {
    const std::string good = picture("good.png", 20, 10);
    project.myAttrs.set(project::picture, 0, 0, good);
    form->N1Click();
    EXPECT_EQ(previewSize(), QSize(20, 10));

    const std::string other = picture("other.png", 12, 8);
    edit("Edit3")->setText(QString::fromStdString(other)); // as a library fills the box
    form->N2Click();
    EXPECT_EQ(cell(project::picture), other);
    EXPECT_EQ(previewSize(), QSize(12, 8));
}

TEST_F(AttributePreviews, WithoutADecodablePictureThePreviewIsEmptyAndTheStepsGoOn) {
    const std::string broken = dir.file("broken.png");
    writeFile(broken, "not a picture at all");
    const std::string bitmap = picture("real.bmp", 20, 20, "BMP"); // a picture, but not ours
    const std::string named = dir.file("noext");
    std::filesystem::copy_file(picture("source.png", 20, 20), named); // PNG without extension
    const std::string missing = dir.file("missing.png");

    for (const std::string& path : {broken, bitmap, named, missing}) {
        SCOPED_TRACE(path);
        // A good picture first, so that clearing can be seen.
        project.myAttrs.set(project::picture, 0, 0, picture("good.png", 20, 10));
        form->N1Click();
        ASSERT_EQ(previewSize(), QSize(20, 10));

        // A refresh completes every step after the preview.
        project.myAttrs.clearCell(0, 0);
        project.myAttrs.set(project::picture, 0, 0, path);
        project.myAttrs.set(project::hint, 0, 0, "a\\nb");
        form->N1Click();
        EXPECT_FALSE(previewSize().isValid());
        EXPECT_EQ(cell(project::picture), path) << "the path stays stored";
        EXPECT_EQ(memo()->toPlainText(), "a\nb");
        EXPECT_EQ(cell(project::hintStyle), "9");
        EXPECT_EQ(form->findChild<QComboBox*>("ComboBox1")->currentIndex(), 9);

        // So does a store: the boxes after the picture box are stored too.
        edit("Edit4")->setText("2500");
        edit("Edit10")->setText("0,5");
        form->N2Click();
        EXPECT_FALSE(previewSize().isValid());
        EXPECT_EQ(cell(project::pictureWidth), "1000");
        EXPECT_EQ(cell(project::videoVolume), "0");
    }
}

TEST_F(AttributePreviews, TheSoundPreviewPlaysOnceAtTheBoxsVolumeAndRestarts) {
    const std::string tone = dir.file("tone.wav");
    testing_support::writeToneWav(tone, 60);
    edit("Edit2")->setText(QString::fromStdString(tone));
    form->findChild<QCheckBox*>("CheckBox2")->setChecked(true); // not applied to the preview
    common::setOutputVolume(0.2);

    click("Button10");
    const common::AudioStreamHandle first = form->previewStream();
    ASSERT_NE(first, 0u);
    EXPECT_NEAR(common::outputVolume(), 1.0, 1e-6) << "an empty box plays at full volume";
    EXPECT_TRUE(common::isStreamPlaying(first));
    EXPECT_TRUE(waitFor([&] { return !common::isStreamPlaying(first); })) << "never looped";
    EXPECT_EQ(button("Button10")->text(), "Проиграть");

    edit("Edit6")->setText("0.3");
    click("Button10");
    const common::AudioStreamHandle second = form->previewStream();
    EXPECT_NE(second, first);
    EXPECT_FALSE(common::streamLength(first).has_value()) << "the previous stream is released";
    EXPECT_TRUE(common::isStreamPlaying(second));
    EXPECT_NEAR(common::outputVolume(), 0.3, 1e-6);

    // A missing file sets the volume and plays nothing; the last stream stays the window's.
    testing_support::MessageBoxCatcher boxes;
    edit("Edit2")->setText(QString::fromStdString(dir.file("missing.wav")));
    edit("Edit6")->setText("0.6");
    click("Button10");
    EXPECT_NEAR(common::outputVolume(), 0.6, 1e-6);
    EXPECT_EQ(form->previewStream(), second);
    // A file the audio layer cannot read gives no stream and no message.
    const std::string broken = dir.file("broken.wav");
    writeFile(broken, "RIFF, but not really");
    edit("Edit2")->setText(QString::fromStdString(broken));
    click("Button10");
    EXPECT_EQ(form->previewStream(), 0u);
    EXPECT_FALSE(common::streamLength(second).has_value());
    EXPECT_TRUE(boxes.texts.isEmpty());
}

class VideoPreview : public AttributePreviews {
  protected:
    void SetUp() override {
        AttributePreviews::SetUp();
        if (!std::filesystem::exists("/usr/bin/ffmpeg")) GTEST_SKIP() << "no /usr/bin/ffmpeg";
        clip = dir.file("clip.mp4");
        QProcess ffmpeg;
        ffmpeg.start("/usr/bin/ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                         "testsrc=duration=1:size=64x48:rate=10", "-pix_fmt",
                                         "yuv420p", QString::fromStdString(clip)});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000));
        ASSERT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    }
    void TearDown() override {
        if (player()) player()->stop();
        AttributePreviews::TearDown();
    }
    std::string clip;
};

TEST_F(VideoPreview, TheButtonTogglesThePlayerWindow) {
    edit("Edit7")->setText(QString::fromStdString(clip));
    click("Button11");
    EXPECT_EQ(button("Button11")->text(), "Остановить");
    ASSERT_TRUE(player()->isVisible());
    EXPECT_TRUE(player()->isWindow());
    EXPECT_TRUE(waitFor([&] { return player()->size() == QSize(64, 48); }))
        << "sized to the video, not " << player()->width() << "x" << player()->height();

    // Hiding the attribute window stops nothing.
    form->hide();
    EXPECT_TRUE(player()->isVisible());
    form->show();

    // The video ends by itself after a second: the caption stays.
    QTest::qWait(1500);
    EXPECT_EQ(button("Button11")->text(), "Остановить");

    click("Button11");
    EXPECT_EQ(button("Button11")->text(), "Проиграть");
    EXPECT_FALSE(player()->isVisible());
    EXPECT_FALSE(player()->isOpen());
}

TEST_F(VideoPreview, ClosingThePlayerByItsFrameCountsAsStop) {
    edit("Edit7")->setText(QString::fromStdString(clip));
    click("Button11");
    ASSERT_TRUE(player()->isVisible());
    player()->close();
    EXPECT_EQ(button("Button11")->text(), "Проиграть");
    EXPECT_FALSE(player()->isOpen());
    // And it plays again from there.
    click("Button11");
    EXPECT_EQ(button("Button11")->text(), "Остановить");
    EXPECT_TRUE(player()->isVisible());
}

TEST_F(VideoPreview, AMissingOrUnplayableFileLeavesTheCaption) {
    testing_support::MessageBoxCatcher boxes;
    edit("Edit7")->setText(QString::fromStdString(dir.file("missing.mp4")));
    click("Button11");
    EXPECT_EQ(button("Button11")->text(), "Проиграть");
    EXPECT_FALSE(player()->isVisible());
    EXPECT_TRUE(boxes.texts.isEmpty()) << "a missing file does nothing at all";

    const std::string broken = dir.file("broken.mp4");
    writeFile(broken, "this is no video");
    edit("Edit7")->setText(QString::fromStdString(broken));
    click("Button11");
    // Some backends fail at once, others a moment later; either way the player says why.
    EXPECT_TRUE(waitFor([&] { return !boxes.texts.isEmpty(); }));
    EXPECT_FALSE(boxes.texts.value(0).isEmpty());
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(button("Button11")->text(), "Проиграть");
    EXPECT_FALSE(player()->isVisible());
    EXPECT_TRUE(edit("Edit7")->text() == QString::fromStdString(broken));
}

TEST_F(AttributePreviews, OpenHandsTheBoxsTextToTheSystem) {
    UrlRecorder opened;
    testing_support::MessageBoxCatcher boxes;
    click("Button9");
    EXPECT_EQ(boxes.texts, QStringList{"Пустое поле!"});
    EXPECT_TRUE(opened.urls.isEmpty());

    const std::string page = dir.file("page one.html");
    writeFile(page, "<p>");
    const std::pair<QString, QUrl> links[] = {
        {"https://example.org/a?b=1#c", QUrl("https://example.org/a?b=1#c")},
        {"http://example.org/", QUrl("http://example.org/")},
        {QString::fromStdString(page), QUrl::fromLocalFile(QString::fromStdString(page))},
    };
    for (const auto& [text, url] : links) {
        SCOPED_TRACE(text.toStdString());
        opened.urls.clear();
        type(edit("Edit1"), text); // the box is not left: its text is used all the same
        click("Button9");
        EXPECT_EQ(opened.urls, QList<QUrl>{url});
    }
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(cell(project::link).empty()) << "opening stores nothing";

    // A relative path is looked for beside the picture.
    project.imageLoaded = true;
    project.imagePath = dir.file("scene.png");
    opened.urls.clear();
    edit("Edit1")->setText("page one.html");
    click("Button9");
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(page))});
}

TEST_F(AttributePreviews, PasteButtonReplacesTheSelectionAndStoresAtOnce) {
    QApplication::clipboard()->setText("page");
    QLineEdit* link = edit("Edit1");
    type(link, "http://a.org/old.html");
    link->setSelection(13, 3); // "old"
    click("Button7");
    EXPECT_EQ(link->text(), "http://a.org/page.html");
    EXPECT_EQ(cell(project::link), "http://a.org/page.html");
    EXPECT_TRUE(link->hasFocus()) << "the button leaves the focus in the box";

    // Without a selection the text goes in at the caret.
    link->setCursorPosition(0);
    QApplication::clipboard()->setText("x");
    click("Button7");
    EXPECT_EQ(cell(project::link), "xhttp://a.org/page.html");
}

TEST_F(AttributePreviews, PopUpMenusCopyAndPasteTheWholeTextWithoutStoring) {
    struct Box {
        QWidget* widget;
        const char* menu;
        const char* copy;
        const char* paste;
        Field field;
        QString typed;
        QString pasted;
        std::string storedAfterLeaving;
    };
    const Box boxes[] = {
        {edit("Edit1"), "PopupMenu2", "N3", "N4", project::link, "http://a.org/", "b.html",
         "b.html"},
        {memo(), "PopupMenu3", "N6", "N8", project::hint, "first\nsecond", "one\ntwo", "one\\ntwo"},
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.menu);
        auto* menu = form->findChild<QMenu*>(b.menu);
        ASSERT_NE(menu, nullptr);
        QStringList entries;
        for (QAction* a : menu->actions())
            entries << (a->isSeparator() ? "—" : a->text());
        EXPECT_EQ(entries, (QStringList{"Копировать", "—", "Вставить"}));

        // A right click in the box opens this menu.
        type(b.widget, b.typed);
        QWidget* target = b.widget == memo() ? memo()->viewport() : b.widget;
        bool popped = false;
        QTimer::singleShot(50, [&] {
            popped = QApplication::activePopupWidget() == menu;
            if (QApplication::activePopupWidget()) QApplication::activePopupWidget()->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &event);
        EXPECT_TRUE(popped);

        QApplication::clipboard()->setText("before");
        menuItem(b.copy)->trigger();
        EXPECT_EQ(QApplication::clipboard()->text(), b.typed) << "the whole text, not a part";

        QApplication::clipboard()->setText(b.pasted);
        menuItem(b.paste)->trigger();
        const QString now = b.widget == memo() ? memo()->toPlainText() : edit("Edit1")->text();
        EXPECT_EQ(now, b.pasted) << "the whole text replaced";
        EXPECT_TRUE(cell(b.field).empty()) << "stored only when the box is left";
        b.widget->setFocus();
        leave(b.widget);
        EXPECT_EQ(cell(b.field), b.storedAfterLeaving);
    }
}

} // namespace

#include "attribute_previews_ui_test.moc"
