// "Сохранить как" and "Протестировать в браузере" of the main window.
#include "app/main_window.h"
#include "support/test_files.h"
#include "support/widget_events.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using app::TForm1;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// Records the files the window asks the platform to open.
class FileOpenCatcher : public QObject {
    Q_OBJECT
  public:
    FileOpenCatcher() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~FileOpenCatcher() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls << url; }
};

class SaveAsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(dir.path() / "template");
        fs::create_directory(dir.path() / "pics");
        fs::create_directory(dir.path() / "out");
        writeFile(dir.file("template/index.html"), "<img src=\"[FILENAME]\"> [NAME]\r\n");
        writeFile(dir.file("template/index.js"), "var C=new Array();\r\n[DATA][EFFECT]");
        writeFile(dir.file("template/qiv_zarim.css"), "body{}");
        picture = dir.file("pics/scene.png");
        ASSERT_TRUE(testing_support::writeFilledPicture(picture, 12, 9, QColor(10, 200, 30)));
        pictureBytes = readFile(picture);
        form = std::make_unique<TForm1>(dir.path().string());
        form->settings().ffmpegPath.clear(); // copies only; no converter runs here
    }

    void open() {
        ASSERT_TRUE(form->openImage(picture));
        // A picture attribute, so that the media pass has something to copy.
        writeFile(dir.file("pics/p.gif"), "GIF89a");
        form->project().myAttrs.set(project::picture, 2, project::onClick, dir.file("pics/p.gif"));
    }

    TempDir dir;
    std::string picture;
    std::string pictureBytes;
    std::unique_ptr<TForm1> form;
};

TEST_F(SaveAsTest, TheChosenNameGetsAJpegExtensionUnlessItHasOne) {
    open();
    struct Case {
        const char* chosen;
        const char* saved;
        const char* page; // the page and its script are named after the new picture
    };
    const Case cases[] = {
        {"picture", "picture.jpg", "picture"},
        {"Picture.JPEG", "Picture.JPEG", "Picture"},
        {"x.png", "x.png.jpg", "x.png"},
        {"mixed.jPg", "mixed.jPg", "mixed"},
        {"j.jpeg.txt", "j.jpeg.txt.jpg", "j.jpeg.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        testing_support::MessageBoxCatcher boxes;
        const std::string saved = dir.file(std::string("out/") + c.saved);
        ASSERT_TRUE(form->saveAs(dir.file(std::string("out/") + c.chosen)));
        EXPECT_EQ(boxes.texts, QStringList{"Данные сохранены!"});
        // The PNG content is copied as it is, whatever the new name says.
        EXPECT_EQ(readFile(saved), pictureBytes);
        EXPECT_EQ(form->project().imagePath, saved);
        EXPECT_EQ(form->windowTitle(), QString::fromStdString("Qiv Zarim Editor - " + saved));
        const std::string page = dir.file(std::string("out/") + c.page);
        EXPECT_EQ(readFile(page + ".html"),
                  "<img src=\"" + std::string(c.saved) + "\"> " + c.page + "\r\n");
        EXPECT_TRUE(fs::exists(dir.file(std::string("out/zarm_") + c.page + ".js")));
        EXPECT_TRUE(fs::exists(page + ".map"));
        EXPECT_TRUE(fs::exists(page + ".zarm"));
    }
    EXPECT_EQ(readFile(dir.file("out/qiv_zarim/p.gif")), "GIF89a");
    // The old name's outputs were never asked for.
    EXPECT_FALSE(fs::exists(dir.file("pics/scene.html")));
    EXPECT_FALSE(fs::exists(dir.file("pics/qiv_zarim")));
}

TEST_F(SaveAsTest, TheNextSaveWritesUnderTheNewName) {
    open();
    testing_support::MessageBoxCatcher boxes;
    form->Save1->trigger();
    const std::string oldPage = readFile(dir.file("pics/scene.html"));
    ASSERT_TRUE(form->saveAs(dir.file("out/copy.jpg")));
    fs::remove(dir.file("out/copy.html"));
    form->project().myAttrs.set(project::link, 7, 0, "after.html");
    form->Save1->trigger();
    EXPECT_NE(readFile(dir.file("out/zarm_copy.js")).find("'after.html'"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.file("out/copy.html")));
    EXPECT_EQ(readFile(dir.file("pics/scene.html")), oldPage);
    EXPECT_EQ(readFile(dir.file("pics/zarm_scene.js")).find("'after.html'"), std::string::npos);
    EXPECT_EQ(boxes.texts.size(), 3);
}

TEST_F(SaveAsTest, AFailedCopyIsReportedAndNothingChanges) {
    open();
    testing_support::MessageBoxCatcher boxes;
    EXPECT_FALSE(form->saveAs(dir.file("no such folder/copy.jpg")));
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("no such folder/copy.jpg")) << boxes.texts[0].toStdString();
    EXPECT_EQ(form->project().imagePath, picture);
    EXPECT_EQ(form->windowTitle(), QString::fromStdString("Qiv Zarim Editor - " + picture));
    EXPECT_FALSE(fs::exists(dir.file("no such folder")));
}

TEST_F(SaveAsTest, SavingAsTheSameNameRepublishesInPlace) {
    picture = dir.file("pics/scene.jpg");
    ASSERT_TRUE(testing_support::writeFilledPicture(picture, 12, 9, QColor(10, 200, 30)));
    pictureBytes = readFile(picture);
    open();
    testing_support::MessageBoxCatcher boxes;
    ASSERT_TRUE(form->saveAs(picture));
    EXPECT_EQ(boxes.texts, QStringList{"Данные сохранены!"});
    EXPECT_EQ(readFile(picture), pictureBytes);
    EXPECT_TRUE(fs::exists(dir.file("pics/scene.html")));
}

TEST_F(SaveAsTest, TestInTheBrowserPublishesThenOpensThePage) {
    FileOpenCatcher catcher;
    testing_support::MessageBoxCatcher boxes;
    form->N13->trigger();
    EXPECT_EQ(boxes.texts, QStringList{"Нечего сохранять!"});
    EXPECT_TRUE(catcher.urls.isEmpty());

    open();
    form->N13->trigger();
    EXPECT_EQ(boxes.texts, (QStringList{"Нечего сохранять!", "Данные сохранены!"}));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0],
              QUrl::fromLocalFile(QString::fromStdString(dir.file("pics/scene.html"))));
    EXPECT_TRUE(fs::exists(dir.file("pics/scene.html")));
    EXPECT_EQ(readFile(dir.file("pics/qiv_zarim/p.gif")), "GIF89a");
}

TEST_F(SaveAsTest, TestInTheBrowserOpensThePageEvenWithADottedFolder) {
    // The page is named after the picture's file name, not cut at a dot of its folder; a
    // picture without an extension gives its whole name to the page, as to the project files.
    fs::create_directory(dir.path() / "v1.2");
    const std::string inDotted = dir.file("v1.2/scene");
    fs::copy_file(picture, inDotted);
    picture = inDotted;
    open();
    FileOpenCatcher catcher;
    testing_support::MessageBoxCatcher boxes;
    form->N13->trigger();
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0],
              QUrl::fromLocalFile(QString::fromStdString(dir.file("v1.2/scene.html"))));
    EXPECT_TRUE(fs::exists(dir.file("v1.2/scene.html")));
    EXPECT_TRUE(fs::exists(dir.file("v1.2/zarm_scene.js")));
    EXPECT_FALSE(fs::exists(dir.file("v1.2/.html")));
}

} // namespace

#include "save_as_ui_test.moc"
