#include "publish/effect_window.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class EffectWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit1 = window.findChild<QLineEdit*>("Edit1");
        edit2 = window.findChild<QLineEdit*>("Edit2");
        checkBox = window.findChild<QCheckBox*>("CheckBox1");
        trackBar = window.findChild<QSlider*>("TrackBar1");
        ASSERT_TRUE(edit1 && edit2 && checkBox && trackBar);
    }

    static void clearByKeys(QLineEdit* field) {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
    }

    // Types `text` into the field as the user would and leaves it for the other field.
    void typeAndLeave(QLineEdit* field, QLineEdit* next, const QString& text) {
        QTest::mouseClick(field, Qt::LeftButton);
        clearByKeys(field);
        QTest::keyClicks(field, text);
        ASSERT_EQ(field->text(), text);
        QTest::mouseClick(next, Qt::LeftButton);
        ASSERT_TRUE(next->hasFocus());
    }

    publish::TForm11 window;
    QLineEdit* edit1 = nullptr;
    QLineEdit* edit2 = nullptr;
    QCheckBox* checkBox = nullptr;
    QSlider* trackBar = nullptr;
};

TEST_F(EffectWindowTest, StartsWithTheDefaults) {
    EXPECT_EQ(window.size(), QSize(310, 293));
    const publish::EffectSettings s = window.effectSettings();
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.mm, "20");
    EXPECT_EQ(s.nn, "20");
    EXPECT_EQ(s.depth, 10);
    EXPECT_EQ(trackBar->minimum(), 1);
    EXPECT_EQ(trackBar->maximum(), 20);
}

TEST_F(EffectWindowTest, LeavingACountFieldCorrectsIt) {
    const std::pair<QString, QString> cases[] = {
        {"5", "10"}, {"500", "100"}, {"abc", "20"}, {"55", "55"}, {"", "20"}};
    for (const auto& [typed, shown] : cases) {
        typeAndLeave(edit1, edit2, typed);
        EXPECT_EQ(edit1->text(), shown) << typed.toStdString();
        typeAndLeave(edit2, edit1, typed);
        EXPECT_EQ(edit2->text(), shown) << typed.toStdString();
    }
    typeAndLeave(edit1, edit2, "33");
    typeAndLeave(edit2, edit1, "44");
    EXPECT_EQ(window.effectSettings().mm, "33");
    EXPECT_EQ(window.effectSettings().nn, "44");
}

TEST_F(EffectWindowTest, ReturnInAFieldAlsoCorrectsIt) {
    // Return both finishes the edit and presses the default button "OK".
    QTest::mouseClick(edit2, Qt::LeftButton);
    clearByKeys(edit2);
    QTest::keyClicks(edit2, "7");
    QTest::keyClick(edit2, Qt::Key_Return);
    EXPECT_EQ(edit2->text(), "10");
    EXPECT_FALSE(window.isVisible());
}

TEST_F(EffectWindowTest, DefaultsButtonRestoresEverything) {
    QTest::mouseClick(checkBox, Qt::LeftButton);
    ASSERT_FALSE(checkBox->isChecked());
    typeAndLeave(edit1, edit2, "70");
    typeAndLeave(edit2, edit1, "80");
    trackBar->setFocus();
    QTest::keyClick(trackBar, Qt::Key_End);
    ASSERT_EQ(trackBar->value(), 20);
    const publish::EffectSettings changed = window.effectSettings();
    EXPECT_FALSE(changed.enabled);
    EXPECT_EQ(changed.mm, "70");
    EXPECT_EQ(changed.nn, "80");
    EXPECT_EQ(changed.depth, 20);

    QTest::mouseClick(window.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    const publish::EffectSettings s = window.effectSettings();
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.mm, "20");
    EXPECT_EQ(s.nn, "20");
    EXPECT_EQ(s.depth, 10);
}

TEST_F(EffectWindowTest, OkClosesAndKeepsTheValues) {
    typeAndLeave(edit1, edit2, "42");
    QTest::mouseClick(window.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    window.show();
    EXPECT_EQ(edit1->text(), "42");
}

TEST_F(EffectWindowTest, OkStraightFromAFieldCorrectsItFirst) {
    QTest::mouseClick(edit1, Qt::LeftButton);
    clearByKeys(edit1);
    QTest::keyClicks(edit1, "1000");
    QTest::mouseClick(window.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_EQ(window.effectSettings().mm, "100");
}

} // namespace
