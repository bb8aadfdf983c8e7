// Qt's own texts in Russian, as the program installs them at start-up.
#include "app/translations_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTranslator>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Installs the translations for one test and takes them away after it.
class QtTranslations : public ::testing::Test {
  protected:
    void SetUp() override {
        translator = app::installQtTranslations(*qApp);
        ASSERT_NE(translator, nullptr) << "qtbase_ru is missing (package qt6-translations-l10n)";
    }
    void TearDown() override {
        if (!translator) return;
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    static QString plain(QString text) { return text.remove('&'); }
    QTranslator* translator = nullptr;
};

} // namespace

TEST_F(QtTranslations, AYesNoBoxSaysDaAndNet) {
    QMessageBox box(QMessageBox::Question, "Вы уверены?", "Удалить?",
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(plain(box.button(QMessageBox::Yes)->text()), "Да");
    EXPECT_EQ(plain(box.button(QMessageBox::No)->text()), "Нет");
    QMessageBox cancel(QMessageBox::Warning, "Qiv Zarim Editor", "Пустое поле!",
                       QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(plain(cancel.button(QMessageBox::Cancel)->text()), "Отмена");
}

TEST_F(QtTranslations, TheTextBoxesContextMenuIsRussian) {
    QLineEdit edit("текст");
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) items << plain(a->text()).section('\t', 0, 0);
    ASSERT_FALSE(items.isEmpty());
    for (const char* english : {"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select All"})
        EXPECT_FALSE(items.contains(english)) << items.join(", ").toStdString();
    EXPECT_TRUE(items.contains("Копировать")) << items.join(", ").toStdString();
}
