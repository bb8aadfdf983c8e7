#include "editors/attribute_window.h"

#include "app/window_hooks_qt.h"
#include "app/window_registry.h"
#include "common/audio_output.h"
#include "common/file_io.h"
#include "common/form_controls_qt.h"
#include "common/helpers.h"
#include "common/raster.h"
#include "editors/field_values.h"
#include "editors/palette_window.h"
#include "editors/panel_status_bar_widget.h"
#include "editors/video_player_window.h"
#include "library/picture_library_window.h"
#include "library/sound_library_window.h"
#include "project/palette.h"
#include "project/picture_decoder_qt.h"
#include "project/project_state.h"
#include "publish/export_settings.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>

namespace editors {

using common::makeButton;
using common::makeLabel;
using project::Field;

namespace {

constexpr int kClientWidth = 816;
constexpr int kClientHeight = 529;
constexpr int kEditHeight = 21;

constexpr int kDefaultPictureSize = 100;
constexpr int kDefaultVideoWidth = 160;
constexpr int kDefaultVideoHeight = 120;
constexpr int kDefaultHintStyle = 9;
constexpr int kDefaultFrame = 1;

// The picture preview's box.
constexpr int kPreviewWidth = 170;
constexpr int kPreviewHeight = 178;

// The video button's captions, which also tell whether the video preview plays.
const QString kPlayCaption = "Проиграть";
const QString kStopCaption = "Остановить";

const char* const kMessageTitle = "Qiv Zarim Editor";

struct HintStyleColor {
    QRgb background;
    QRgb text;
};

// The tooltip's look per style, previewed on the tooltip box.
constexpr std::array<HintStyleColor, 16> hintStyleColors = {{
    {0xFFFFFF, 0x000000},
    {0xCCCCCC, 0x000000},
    {0x000000, 0xFFFFFF},
    {0xFF6666, 0xFFFFFF},
    {0xCC0000, 0xFFFFFF},
    {0x99FF99, 0x000000},
    {0x009900, 0xFFFFFF},
    {0x66FFFF, 0x000000},
    {0x3333FF, 0xFFFFFF},
    {0xFFFFCC, 0x000000},
    {0xFFFF00, 0x000000},
    {0xFFCC33, 0x000000},
    {0x993300, 0xFFFFFF},
    {0xFF99FF, 0x000000},
    {0x993399, 0xFFFFFF},
    {0x6600CC, 0xFFFFFF},
}};

const QStringList kHintStyles = {
    "Белый",      "Серый",   "Чёрный",     "Светло-красный",  "Красный", "Светло-зелёный",
    "Зелёный",    "Голубой", "Синий",      "Светло-жёлтый",   "Жёлтый",  "Светло-коричневый",
    "Коричневый", "Розовый", "Фиолетовый", "Сине-фиолетовый",
};

const QStringList kFrameStyles = {
    "Без рамки",     "Чёрная рамка", "Белая рамка",  "Серая рамка",     "Красная рамка",
    "Зелёная рамка", "Синяя рамка",  "Желтая рамка", "Малиновая рамка", "Рамка цвета морской волны",
};

const std::array<QString, project::kEventCount> kTabs = {
    "Над областью (onMouseOver)",
    "Щелчок (onClick)",
    "Двойной щелчок (onDblClick)",
};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QLineEdit* makeEdit(const char* name, QWidget* parent, int x, int y, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, width, kEditHeight);
    return edit;
}

QCheckBox* makeCheck(const QString& text, const char* name, QWidget* parent, int x, int y) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->move(x, y);
    box->adjustSize();
    return box;
}

QComboBox* makeList(const QStringList& items, int selected, const char* name, QWidget* parent,
                    int x, int y) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setCurrentIndex(selected);
    box->setMaxVisibleItems(items.size());
    box->setGeometry(x, y, 121, kEditHeight);
    return box;
}

QGroupBox* makeGroup(const QString& title, const char* name, QWidget* parent, const QRect& r) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    group->setGeometry(r);
    return group;
}

// A picture of w × h in the preview box: its own size when it fits, else scaled down to fit with
// its proportions kept; a side never shrinks below one pixel.
QSize previewSize(int w, int h) {
    if (w <= kPreviewWidth && h <= kPreviewHeight) return {w, h};
    if (std::int64_t(w) * kPreviewHeight >= std::int64_t(h) * kPreviewWidth)
        return {kPreviewWidth, std::max(1, int(std::int64_t(h) * kPreviewWidth / w))};
    return {std::max(1, int(std::int64_t(w) * kPreviewHeight / h)), kPreviewHeight};
}

} // namespace

TForm8::TForm8(project::ProjectState& project, QWidget* parent)
    : QDialog(parent), m_project(project) {
    setObjectName("Form8");
    setWindowTitle("Атрибуты");
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    common::initAudioOutput();
}

TForm8::~TForm8() {
    // The boxes are destroyed after this object's own part: no exit step may run then.
    for (auto& [widget, step] : m_exitSteps)
        widget->removeEventFilter(this);
}

void TForm8::createControls() {
    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setDrawBase(false);
    TabControl1->setExpanding(false);
    for (const QString& tab : kTabs)
        TabControl1->addTab(tab);
    TabControl1->setCurrentIndex(0);
    TabControl1->setGeometry(8, 8, 791, 25);

    GroupBox1 = makeGroup("Ссылка", "GroupBox1", this, QRect(8, 38, 624, 73));
    Edit1 = makeEdit("Edit1", GroupBox1, 16, 21, 429);
    CheckBox1 = makeCheck("в новом окне", "CheckBox1", GroupBox1, 16, 47);
    CheckBox1->setChecked(true);
    Button7 = makeButton("Вставить", "Button7", GroupBox1, QRect(451, 17, 75, 25));
    Button9 = makeButton("Открыть", "Button9", GroupBox1, QRect(532, 17, 75, 25));

    GroupBox2 = makeGroup("Звук", "GroupBox2", this, QRect(8, 117, 624, 82));
    Edit2 = makeEdit("Edit2", GroupBox2, 16, 21, 429);
    CheckBox2 = makeCheck("зациклить", "CheckBox2", GroupBox2, 16, 48);
    makeLabel("Громкость", GroupBox2, 317, 50);
    Edit6 = makeEdit("Edit6", GroupBox2, 376, 48, 41);
    Button5 = makeButton("Выбрать", "Button5", GroupBox2, QRect(451, 18, 75, 25));
    Button10 = makeButton("Проиграть", "Button10", GroupBox2, QRect(532, 18, 75, 25));

    GroupBox3 = makeGroup("Картинка", "GroupBox3", this, QRect(8, 205, 624, 82));
    Edit3 = makeEdit("Edit3", GroupBox3, 16, 21, 429);
    makeLabel("Ширина", GroupBox3, 111, 52);
    Edit4 = makeEdit("Edit4", GroupBox3, 157, 48, 41);
    makeLabel("Высота", GroupBox3, 213, 52);
    Edit5 = makeEdit("Edit5", GroupBox3, 256, 48, 41);
    makeLabel("Стиль", GroupBox3, 451, 50);
    ComboBox3 = makeList(kFrameStyles, kDefaultFrame, "ComboBox3", GroupBox3, 488, 48);
    Button6 = makeButton("Выбрать", "Button6", GroupBox3, QRect(451, 18, 75, 25));

    GroupBox5 = makeGroup("Видео", "GroupBox5", this, QRect(8, 293, 624, 82));
    Edit7 = makeEdit("Edit7", GroupBox5, 16, 21, 429);
    Button8 = makeButton("Выбрать", "Button8", GroupBox5, QRect(451, 18, 75, 25));
    Button11 = makeButton("Проиграть", "Button11", GroupBox5, QRect(532, 18, 75, 25));
    CheckBox3 = makeCheck("зациклить", "CheckBox3", GroupBox5, 16, 49);
    makeLabel("Ширина", GroupBox5, 111, 51);
    Edit8 = makeEdit("Edit8", GroupBox5, 157, 47, 41);
    makeLabel("Высота", GroupBox5, 213, 51);
    Edit9 = makeEdit("Edit9", GroupBox5, 256, 47, 41);
    makeLabel("Громкость", GroupBox5, 317, 51);
    Edit10 = makeEdit("Edit10", GroupBox5, 376, 47, 41);
    makeLabel("Стиль", GroupBox5, 451, 51);
    ComboBox2 = makeList(kFrameStyles, kDefaultFrame, "ComboBox2", GroupBox5, 488, 47);

    GroupBox4 = makeGroup("Подсказка", "GroupBox4", this, QRect(8, 381, 624, 118));
    Memo1 = new QPlainTextEdit(GroupBox4);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(16, 15, 417, 89);
    // The Tab key moves to the next control; a TAB character can only be pasted.
    Memo1->setTabChangesFocus(true);
    makeLabel("Стиль", GroupBox4, 451, 17);
    ComboBox1 = makeList(kHintStyles, kDefaultHintStyle, "ComboBox1", GroupBox4, 488, 14);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(638, 39, 170, 178);
    Image1->setAlignment(Qt::AlignCenter);

    Button1 = makeButton("Предыдущий цвет", "Button1", this, QRect(650, 307, 140, 25));
    Button12 = makeButton("Следующий цвет", "Button12", this, QRect(650, 346, 140, 25));
    Button3 = makeButton("Очистить вкладку", "Button3", this, QRect(650, 386, 140, 25));
    Button2 = makeButton("Очистить все вкладки", "Button2", this, QRect(650, 425, 140, 25));
    Button4 = makeButton("Очистить все цвета", "Button4", this, QRect(650, 465, 140, 25));

    StatusBar1 = new PanelStatusBar({230, 230, 230, 50}, this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setGeometry(0, kClientHeight - PanelStatusBar::kHeight, kClientWidth,
                            PanelStatusBar::kHeight);

    m_exitSteps = {
        {Edit1, &TForm8::Edit1Exit}, {Edit2, &TForm8::Edit2Exit},   {Edit3, &TForm8::Edit3Exit},
        {Edit4, &TForm8::Edit4Exit}, {Edit5, &TForm8::Edit5Exit},   {Edit6, &TForm8::Edit6Exit},
        {Memo1, &TForm8::Memo1Exit}, {Edit7, &TForm8::Edit7Exit},   {Edit8, &TForm8::Edit8Exit},
        {Edit9, &TForm8::Edit9Exit}, {Edit10, &TForm8::Edit10Exit},
    };
    for (auto& [widget, step] : m_exitSteps)
        widget->installEventFilter(this);

    connect(TabControl1, &QTabBar::currentChanged, this, &TForm8::onTabChanged);
    // Check boxes store on every change of state, also one made by a refresh.
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm8::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm8::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::toggled, this, &TForm8::CheckBox3Click);
    // Lists store when the user chooses; a refresh runs their handlers itself.
    connect(ComboBox1, &QComboBox::activated, this, &TForm8::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TForm8::ComboBox2Change);
    connect(ComboBox3, &QComboBox::activated, this, &TForm8::ComboBox3Change);
    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button12, &QPushButton::clicked, this, &TForm8::Button12Click);
    connect(Button3, &QPushButton::clicked, this, &TForm8::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TForm8::Button4Click);
    connect(Button8, &QPushButton::clicked, this, &TForm8::Button8Click);
    connect(Button5, &QPushButton::clicked, this, &TForm8::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm8::Button6Click);

    // "Вставить" takes no focus, so that the link box keeps its selection and caret for it.
    Button7->setFocusPolicy(Qt::NoFocus);
    connect(Button7, &QPushButton::clicked, this, &TForm8::Button7Click);
    connect(Button9, &QPushButton::clicked, this, &TForm8::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TForm8::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TForm8::Button11Click);

    PopupMenu2 = makeCopyPasteMenu("PopupMenu2", "N3", "N4", &TForm8::N3Click, &TForm8::N4Click);
    Edit1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Edit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->exec(Edit1->mapToGlobal(at)); });
    PopupMenu3 = makeCopyPasteMenu("PopupMenu3", "N6", "N8", &TForm8::N6Click, &TForm8::N8Click);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu3->exec(Memo1->viewport()->mapToGlobal(at)); });

    MediaPlayer1 = new VideoPlayerWindow(this);
    MediaPlayer1->setObjectName("MediaPlayer1");
    connect(MediaPlayer1, &VideoPlayerWindow::failed, this, &TForm8::onVideoFailed);
    connect(MediaPlayer1, &VideoPlayerWindow::closedByUser, this, &TForm8::onVideoClosed);
}

QMenu* TForm8::makeCopyPasteMenu(const char* name, const char* copyName, const char* pasteName,
                                 void (TForm8::*copy)(), void (TForm8::*paste)()) {
    auto* menu = new QMenu(this);
    menu->setObjectName(name);
    QAction* copyItem = menu->addAction("Копировать", this, copy);
    copyItem->setObjectName(copyName);
    menu->addSeparator();
    QAction* pasteItem = menu->addAction("Вставить", this, paste);
    pasteItem->setObjectName(pasteName);
    return menu;
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Leaving a box means moving to another control of this window; losing the focus to
        // another window or to a pop-up menu does not leave it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (auto& [widget, step] : m_exitSteps)
                if (widget == watched) (this->*step)();
        }
    }
    return QDialog::eventFilter(watched, event);
}

int TForm8::color() const {
    assert(m_project.currentColor >= 0 && m_project.currentColor < project::kPaletteSize);
    return std::clamp(m_project.currentColor, 0, project::kPaletteSize - 1);
}

std::string TForm8::field(Field f) const {
    return m_project.myAttrs.get(f, color(), m_selectedTab);
}

void TForm8::setField(Field f, std::string value) {
    m_project.myAttrs.set(f, color(), m_selectedTab, std::move(value));
}

void TForm8::storeText(QLineEdit* edit, Field f) {
    setField(f, edit->text().toStdString());
}

void TForm8::storeSize(QLineEdit* edit, Field f, int defaultSize) {
    const std::string value = checkedSize(edit->text().toStdString(), defaultSize);
    edit->setText(qs(value));
    setField(f, value);
}

void TForm8::storeVolume(QLineEdit* edit, Field f) {
    const std::string value = checkedVolume(edit->text().toStdString());
    edit->setText(qs(value));
    setField(f, value);
}

void TForm8::storeCheck(QCheckBox* box, Field f) {
    setField(f, box->isChecked() ? "1" : "0");
}

void TForm8::N1Click() {
    Edit1->setText(qs(field(project::link)));
    Edit2->setText(qs(field(project::sound)));
    Edit3->setText(qs(field(project::picture)));
    Edit3Exit();
    Memo1->setPlainText(qs(decodeHint(field(project::hint))));
    Edit4->setText(qs(field(project::pictureWidth)));
    Edit5->setText(qs(field(project::pictureHeight)));
    Edit6->setText(qs(field(project::soundVolume)));
    Edit7->setText(qs(field(project::video)));
    Edit8->setText(qs(field(project::videoWidth)));
    Edit9->setText(qs(field(project::videoHeight)));
    Edit10->setText(qs(field(project::videoVolume)));
    CheckBox1->setChecked(field(project::linkNewWindow) == "1");
    CheckBox2->setChecked(field(project::soundLoop) == "1");
    CheckBox3->setChecked(field(project::videoLoop) == "1");

    m_project.myAttrs.showDefaults(color(), m_selectedTab);
    selectStyle(ComboBox1, project::hintStyle, kDefaultHintStyle);
    ComboBox1Change();
    selectStyle(ComboBox2, project::videoFrame, kDefaultFrame);
    ComboBox2Change();
    selectStyle(ComboBox3, project::pictureFrame, kDefaultFrame);
    ComboBox3Change();

    showEventWords();
    StatusBar1->setPanelText(3, "Текущий цвет: " + QString::number(color()));
}

void TForm8::selectStyle(QComboBox* box, Field f, int fallback) {
    int n = publish::atoiLike(field(f));
    if (n < 0 || n >= box->count())
        n = fallback; // a number written outside this window; the list's default replaces it
    box->setCurrentIndex(n);
}

void TForm8::showEventWords() {
    const project::RegionAttributes& attrs = m_project.myAttrs;
    const int c = color();
    for (int e = 0; e < project::kEventCount; ++e) {
        QString words;
        if (!attrs.get(project::link, c, e).empty()) words += "Ссылка ";
        if (!attrs.get(project::sound, c, e).empty()) words += "Звук ";
        if (!attrs.get(project::picture, c, e).empty()) words += "Картинка ";
        if (!attrs.get(project::video, c, e).empty()) words += "Видео ";
        if (!attrs.get(project::hint, c, e).empty()) words += "Текст ";
        StatusBar1->setPanelText(e, words);
    }
}

void TForm8::N2Click() {
    for (auto& [widget, step] : m_exitSteps)
        (this->*step)();
}

void TForm8::onTabChanged(int index) {
    // The tab bar has already moved; the fields still belong to the tab being left.
    TabControl1Changing();
    m_selectedTab = std::clamp(index, 0, project::kEventCount - 1);
    TabControl1Change();
}

void TForm8::TabControl1Changing() {
    N2Click();
}

void TForm8::TabControl1Change() {
    N1Click();
}

void TForm8::Edit1Exit() {
    storeText(Edit1, project::link);
}

void TForm8::Edit2Exit() {
    storeText(Edit2, project::sound);
}

void TForm8::Edit3Exit() {
    storeText(Edit3, project::picture);
    showPicturePreview(Edit3->text().toStdString());
}

void TForm8::showPicturePreview(const std::string& path) {
    Image1->clear();
    Image1->setToolTip(QString());
    // Only the picture extensions are previewed, each by its own format; any other file shows
    // an empty preview.
    if (!common::fileExists(path) || project::formatForExtension(path).isEmpty()) return;
    common::Raster picture;
    if (const common::Status decoded = project::decodePicture(path, picture); !decoded) {
        // A broken file shows an empty preview and stops nothing; the reason is in its tooltip.
        Image1->setToolTip(qs(decoded.message()));
        return;
    }
    const QSize size = previewSize(picture.width(), picture.height());
    if (size != QSize(picture.width(), picture.height())) {
        common::Raster scaled(size.width(), size.height());
        common::scaleNearest(picture, scaled);
        picture = std::move(scaled);
    }
    const QImage image(picture.data(), picture.width(), picture.height(),
                       qsizetype(picture.stride()), QImage::Format_RGB888);
    Image1->setPixmap(QPixmap::fromImage(image)); // a copy: the raster goes with this step
}

void TForm8::Edit4Exit() {
    storeSize(Edit4, project::pictureWidth, kDefaultPictureSize);
}

void TForm8::Edit5Exit() {
    storeSize(Edit5, project::pictureHeight, kDefaultPictureSize);
}

void TForm8::Edit6Exit() {
    storeVolume(Edit6, project::soundVolume);
}

void TForm8::Edit7Exit() {
    storeText(Edit7, project::video);
}

void TForm8::Edit8Exit() {
    storeSize(Edit8, project::videoWidth, kDefaultVideoWidth);
}

void TForm8::Edit9Exit() {
    storeSize(Edit9, project::videoHeight, kDefaultVideoHeight);
}

void TForm8::Edit10Exit() {
    storeVolume(Edit10, project::videoVolume);
}

void TForm8::Memo1Exit() {
    // The raw text, not toPlainText(): that one turns no-break spaces into plain blanks.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
    setField(project::hint, encodeHint(text.toStdString()));
}

void TForm8::CheckBox1Click() {
    storeCheck(CheckBox1, project::linkNewWindow);
}

void TForm8::CheckBox2Click() {
    storeCheck(CheckBox2, project::soundLoop);
}

void TForm8::CheckBox3Click() {
    storeCheck(CheckBox3, project::videoLoop);
}

void TForm8::ComboBox1Change() {
    const int n = ComboBox1->currentIndex();
    setField(project::hintStyle, std::to_string(n));
    const HintStyleColor& look = hintStyleColors[std::size_t(std::clamp(n, 0, 15))];
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, QColor::fromRgb(look.background));
    memoPalette.setColor(QPalette::Text, QColor::fromRgb(look.text));
    Memo1->setPalette(memoPalette);
}

void TForm8::ComboBox2Change() {
    setField(project::videoFrame, std::to_string(ComboBox2->currentIndex()));
}

void TForm8::ComboBox3Change() {
    setField(project::pictureFrame, std::to_string(ComboBox3->currentIndex()));
}

void TForm8::stepColor(int delta) {
    N2Click();
    m_project.currentColor =
        std::clamp(m_project.currentColor + delta, 0, project::kPaletteSize - 1);
    N1Click();
    if (TForm4* palette = app::windows().Form4) palette->showCurrentColor();
    app::hooks::currentColorChanged();
}

void TForm8::Button1Click() {
    stepColor(-1);
}

void TForm8::Button12Click() {
    stepColor(+1);
}

bool TForm8::confirm(const QString& question) {
    return QMessageBox::question(this, "Вы уверены?", question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TForm8::Button3Click() {
    if (!confirm("Очистить поля для текущей вкладки?")) return;
    m_project.myAttrs.clearCell(color(), m_selectedTab);
    N1Click();
}

void TForm8::Button2Click() {
    if (!confirm("Очистить поля для всех вкладок?")) return;
    m_project.myAttrs.clearColor(color());
    N1Click();
}

void TForm8::Button4Click() {
    if (!confirm("Очистить поля для всех цветов?")) return;
    m_project.myAttrs.clearAll();
    N1Click();
}

void TForm8::Button8Click() {
    if (!OpenDialog1) {
        OpenDialog1 = new QFileDialog(this);
        OpenDialog1->setObjectName("OpenDialog1");
        OpenDialog1->setFileMode(QFileDialog::ExistingFile);
        OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    }
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
    Edit7->setText(OpenDialog1->selectedFiles().first());
    Edit7Exit();
}

void TForm8::setSoundBoxes(const std::string& file, const std::string& volume, bool loop) {
    CheckBox2->setChecked(loop);
    Edit2->setText(qs(file));
    Edit6->setText(qs(volume));
}

void TForm8::setPictureBoxes(const std::string& file, const std::string& width,
                             const std::string& height) {
    Edit3->setText(qs(file));
    Edit4->setText(qs(width));
    Edit5->setText(qs(height));
}

// Both libraries open centred on this window and modally.
template <typename Library> static void showLibrary(Library* library, QWidget* over) {
    if (!library) return;
    library->move(over->geometry().center() - library->rect().center());
    library->exec();
}

void TForm8::Button5Click() {
    showLibrary(app::windows().Form6, this);
}

void TForm8::Button6Click() {
    showLibrary(app::windows().Form5, this);
}

void TForm8::Button7Click() {
    // At the caret, replacing the selection; then the whole link is stored at once.
    Edit1->insert(QGuiApplication::clipboard()->text());
    Edit1Exit();
}

void TForm8::Button9Click() {
    const QString text = Edit1->text();
    if (text.isEmpty()) {
        QMessageBox box(QMessageBox::NoIcon, kMessageTitle, "Пустое поле!", QMessageBox::Ok, this);
        box.exec();
        return;
    }
    // A relative path is looked for beside the picture, as the published page would.
    const QString base = m_project.imageLoaded
                             ? QString::fromStdString(common::directoryOf(m_project.imagePath))
                             : QDir::currentPath();
    // What the system does with the address is its own affair; the window reports nothing.
    QDesktopServices::openUrl(QUrl::fromUserInput(text, base));
}

void TForm8::Button10Click() {
    // The volume of the whole output: every other sound playing changes with it.
    const std::string volume = Edit6->text().toStdString();
    common::setOutputVolume(volume.empty() ? 1.0 : readVolume(volume));
    const std::string path = Edit2->text().toStdString();
    if (!common::fileExists(path)) return;
    common::stopStream(m_previewStream);
    common::freeStream(m_previewStream);
    // Never looped, whatever "зациклить" says. A file the audio layer cannot open gives 0 and
    // plays nothing; deliberately silent.
    m_previewStream = common::createFileStream(path, false);
    common::playStream(m_previewStream);
}

void TForm8::Button11Click() {
    if (Button11->text() == kPlayCaption) {
        const QString path = Edit7->text();
        if (!common::fileExists(path.toStdString())) return;
        QString error;
        if (!MediaPlayer1->play(path, error)) {
            QMessageBox::critical(this, kMessageTitle, error);
            return;
        }
        Button11->setText(kStopCaption);
    } else {
        Button11->setText(kPlayCaption);
        MediaPlayer1->stop();
    }
}

void TForm8::onVideoFailed(const QString& message) {
    if (Button11->text() != kStopCaption) return;
    Button11->setText(kPlayCaption);
    QMessageBox::critical(this, kMessageTitle, message);
}

void TForm8::onVideoClosed() {
    // Closing the player by its frame is "Остановить".
    if (Button11->text() == kStopCaption) Button11Click();
}

void TForm8::N3Click() {
    Edit1->selectAll();
    Edit1->copy();
}

void TForm8::N4Click() {
    // Replaces the whole text; stored when the box is left.
    Edit1->selectAll();
    Edit1->insert(QGuiApplication::clipboard()->text());
}

void TForm8::N6Click() {
    Memo1->selectAll();
    Memo1->copy();
}

void TForm8::N8Click() {
    Memo1->selectAll();
    Memo1->insertPlainText(QGuiApplication::clipboard()->text());
}

} // namespace editors
