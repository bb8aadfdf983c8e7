#include "publish/export_settings_window.h"

#include "publish/export_settings.h"
#include "support/test_files.h"
#include "support/widget_events.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

// Records the web addresses the window asks the platform to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    UrlCatcher() {
        QDesktopServices::setUrlHandler("https", this, "open");
        QDesktopServices::setUrlHandler("http", this, "open");
    }
    ~UrlCatcher() override {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("http");
    }
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls << url; }
};

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

class ExportSettingsWindowTest : public ::testing::Test {
  protected:
    // Makes the window over `settings` as the program does at start-up and finds its controls.
    void make() {
        window = std::make_unique<publish::TForm10>(settings);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        edit1 = window->findChild<QLineEdit*>("Edit1");
        checkBox1 = window->findChild<QCheckBox*>("CheckBox1");
        checkBox2 = window->findChild<QCheckBox*>("CheckBox2");
        comboBox1 = window->findChild<QComboBox*>("ComboBox1");
        comboBox2 = window->findChild<QComboBox*>("ComboBox2");
        comboBox3 = window->findChild<QComboBox*>("ComboBox3");
        ASSERT_TRUE(edit1 && checkBox1 && checkBox2 && comboBox1 && comboBox2 && comboBox3);
    }

    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(name); }

    // Picks item `index` of a list with the keyboard, as the user would.
    static void pick(QComboBox* box, int index) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        ASSERT_EQ(box->currentIndex(), index);
    }

    // Answers the next modal file dialog with `answer` once it is up.
    void answerFileDialog(std::function<void(QFileDialog*)> answer) {
        auto* timer = new QTimer(window.get());
        QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                answer(dialog);
            }
        });
        timer->start(5);
    }

    publish::ExportSettings settings;
    std::unique_ptr<publish::TForm10> window;
    QLineEdit* edit1 = nullptr;
    QCheckBox* checkBox1 = nullptr;
    QCheckBox* checkBox2 = nullptr;
    QComboBox* comboBox1 = nullptr;
    QComboBox* comboBox2 = nullptr;
    QComboBox* comboBox3 = nullptr;
};

TEST_F(ExportSettingsWindowTest, ShowsItsCaptionsAndLists) {
    make();
    EXPECT_EQ(window->windowTitle(), "Настройки экпорта медиа файлов");
    EXPECT_EQ(window->size(), QSize(556, 337));
    EXPECT_EQ(window->findChild<QGroupBox*>("GroupBox1")->title(), "Настройки FFMPEG");
    EXPECT_EQ(window->findChild<QGroupBox*>("GroupBox2")->title(),
              "Настройки экспорта звуковых файлов");
    EXPECT_EQ(window->findChild<QGroupBox*>("GroupBox3")->title(),
              "Настройки экспорта видео файлов");
    auto* memo = window->findChild<QPlainTextEdit*>("Memo1");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->toPlainText().split('\n'),
              (QStringList{
                  "Разные браузеры поддерживают воспроизведение разных форматов звуковых файлов.",
                  "Поэтому, при публикации желательно иметь копии в разных форматах.",
                  "Если на Вашем компьютере установлено приложение FFMPEG.exe укажите путь к нему,",
                  "есди нет, скачайте его (нажмите кнопку [Скачать] для перехода на сайт)."}));
    EXPECT_EQ(button("Button1")->text(), "Путь к FFMPEG");
    EXPECT_EQ(button("Button6")->text(), "Скачать FFMPEG");
    EXPECT_EQ(button("Button2")->text(), "Подробнее о форматах");
    EXPECT_EQ(button("Button5")->text(), "OK");
    EXPECT_EQ(checkBox1->text(), "Переписывать файлы");
    EXPECT_EQ(checkBox2->text(), "Переписывать файлы");
    EXPECT_EQ(itemsOf(comboBox2), (QStringList{"моно", "стерео"}));
    EXPECT_EQ(itemsOf(comboBox1), (QStringList{"40 кбит", "64 кбит", "96 кбит", "128 кбит",
                                               "192 кбит", "256 кбит", "320 кбит"}));
    EXPECT_EQ(itemsOf(comboBox3), (QStringList{"384 кбит", "512 кбит", "768 кбит", "1024 кбит"}));
    for (QComboBox* box : {comboBox1, comboBox2, comboBox3})
        EXPECT_FALSE(box->isEditable());
}

TEST_F(ExportSettingsWindowTest, StartsFromTheSettingsCorrectingUnknownBitrates) {
    struct Case {
        int rewrite;
        int channels;
        const char* soundBitrate;
        const char* videoBitrate;
        bool ticked;
        const char* channelsShown;
        const char* soundShown;
        const char* videoShown;
        const char* soundAfter;
        const char* videoAfter;
    };
    const Case cases[] = {
        {1, 1, "40k", "384k", true, "моно", "40 кбит", "384 кбит", "40k", "384k"},
        {0, 2, "320k", "1024k", false, "стерео", "320 кбит", "1024 кбит", "320k", "1024k"},
        {2, 0, "100k", "2M", false, "стерео", "128 кбит", "512 кбит", "128k", "512k"},
        {-1, 3, "", "512K", false, "стерео", "128 кбит", "512 кбит", "128k", "512k"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.soundBitrate);
        settings = {};
        settings.ffmpegPath = "/opt/ff mpeg/ffmpeg";
        settings.soundRewrite = c.rewrite;
        settings.videoRewrite = c.rewrite;
        settings.soundChannels = c.channels;
        settings.soundBitrate = c.soundBitrate;
        settings.videoBitrate = c.videoBitrate;
        make();
        EXPECT_EQ(edit1->text(), "/opt/ff mpeg/ffmpeg");
        EXPECT_EQ(checkBox1->isChecked(), c.ticked);
        EXPECT_EQ(checkBox2->isChecked(), c.ticked);
        EXPECT_EQ(comboBox2->currentText(), c.channelsShown);
        EXPECT_EQ(comboBox1->currentText(), c.soundShown);
        EXPECT_EQ(comboBox3->currentText(), c.videoShown);
        // Only the bitrates are corrected; nothing else is touched by showing it.
        EXPECT_EQ(settings.soundBitrate, c.soundAfter);
        EXPECT_EQ(settings.videoBitrate, c.videoAfter);
        EXPECT_EQ(settings.soundChannels, c.channels);
        EXPECT_EQ(settings.soundRewrite, c.rewrite);
        EXPECT_EQ(settings.videoRewrite, c.rewrite);
        EXPECT_EQ(settings.ffmpegPath, "/opt/ff mpeg/ffmpeg");
    }
}

TEST_F(ExportSettingsWindowTest, EveryChangeGoesToTheSettingsAtOnce) {
    settings.soundChannels = 3;
    make();
    QTest::mouseClick(checkBox1, Qt::LeftButton);
    EXPECT_EQ(settings.soundRewrite, 1);
    EXPECT_EQ(settings.videoRewrite, 0);
    QTest::mouseClick(checkBox2, Qt::LeftButton);
    EXPECT_EQ(settings.videoRewrite, 1);
    QTest::mouseClick(checkBox1, Qt::LeftButton);
    EXPECT_EQ(settings.soundRewrite, 0);

    pick(comboBox2, 0);
    EXPECT_EQ(settings.soundChannels, 1);
    pick(comboBox2, 1);
    EXPECT_EQ(settings.soundChannels, 2);

    const char* sound[] = {"40k", "64k", "96k", "128k", "192k", "256k", "320k"};
    for (int i = 6; i >= 0; --i) {
        pick(comboBox1, i);
        EXPECT_EQ(settings.soundBitrate, sound[i]);
    }
    const char* video[] = {"384k", "512k", "768k", "1024k"};
    for (int i = 3; i >= 0; --i) {
        pick(comboBox3, i);
        EXPECT_EQ(settings.videoBitrate, video[i]);
    }

    // The path field only shows the path.
    QTest::keyClicks(edit1, "typed");
    EXPECT_EQ(settings.ffmpegPath, "");

    QTest::mouseClick(button("Button5"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ExportSettingsWindowTest, ThePathButtonListsTheConverterOnlyAndTakesTheChosenFile) {
    testing_support::TempDir dir;
    const std::string chosen = dir.file("ffmpeg");
    testing_support::writeFile(chosen, "");
    settings.ffmpegPath = "/usr/bin/ffmpeg";
    make();

    QStringList filters;
    answerFileDialog([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->reject();
    });
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(filters, QStringList{"ffmpeg (ffmpeg ffmpeg.exe)"});
    EXPECT_EQ(settings.ffmpegPath, "/usr/bin/ffmpeg"); // cancelled: nothing changes
    EXPECT_EQ(edit1->text(), "/usr/bin/ffmpeg");

    answerFileDialog([&](QFileDialog* dialog) {
        dialog->selectFile(QString::fromStdString(chosen));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog checks the file first
    });
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(settings.ffmpegPath, chosen);
    EXPECT_EQ(edit1->text(), QString::fromStdString(chosen));
}

TEST_F(ExportSettingsWindowTest, TheTwoPageButtonsOpenTheirPages) {
    make();
    UrlCatcher catcher;
    QTest::mouseClick(button("Button6"), Qt::LeftButton);
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0], QUrl(publish::TForm10::kDownloadPage));
    EXPECT_EQ(catcher.urls[1], QUrl(publish::TForm10::kFormatsPage));
    EXPECT_TRUE(catcher.urls[0].isValid());
    EXPECT_TRUE(catcher.urls[1].isValid());
}

} // namespace

#include "export_settings_window_ui_test.moc"
