#include "library/picture_library_window.h"

#include "app/window_registry.h"
#include "common/file_io.h"
#include "common/form_controls_qt.h"
#include "common/helpers.h"
#include "editors/attribute_window.h"
#include "editors/panel_status_bar_widget.h"
#include "library/draw_grid_widget.h"
#include "library/folder_tree_widget.h"
#include "library/library_geometry.h"
#include "library/thumbnail_loader_qt.h"
#include "project/picture_decoder_qt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace library {

namespace {

constexpr int kClientWidth = 952;
constexpr int kClientHeight = 622;
constexpr int kLeftColumnWidth = 185;
constexpr int kUpperHeight = 408;
constexpr int kLowerHeight = 190;
constexpr int kSplitterHandle = 5;
constexpr int kGroupWidth = 172;
constexpr int kEditHeight = 21;
constexpr int kPreviewTop = 10;

const char* const kMessageTitle = "Qiv Zarim Editor";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// What a cell shows for a file that cannot be decoded: a grey frame with a cross.
void drawPlaceholder(QPainter& painter, const QRect& square) {
    const QRect box = square.adjusted(30, 30, -30, -30);
    painter.save();
    painter.fillRect(box, QColor(0xE8, 0xE8, 0xE8));
    painter.setPen(QColor(0xA0, 0xA0, 0xA0));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawLine(box.topLeft() + QPoint(12, 12), box.bottomRight() - QPoint(12, 12));
    painter.drawLine(box.topRight() + QPoint(-12, 12), box.bottomLeft() + QPoint(12, -12));
    painter.restore();
}

} // namespace

TForm5::TForm5(const std::string& libraryFolder, QWidget* parent,
               const QString& thumbnailCacheFolder)
    : QDialog(parent) {
    setObjectName("Form5");
    setWindowTitle("Картинки");
    resize(kClientWidth, kClientHeight);
    m_thumbnails = new ThumbnailLoader(thumbnailCacheFolder.isEmpty()
                                           ? ThumbnailLoader::defaultSharedCacheFolder()
                                           : thumbnailCacheFolder,
                                       this);
    connect(m_thumbnails, &ThumbnailLoader::thumbnailReady, this, &TForm5::thumbnailReady);
    createControls();
    const QString start = qs(libraryFolder);
    if (!m_folders->setFolder(start)) {
        // No library folder: the home folder is shown, with an empty grid and no message.
        const QSignalBlocker blocker(m_folders);
        m_folders->setFolder(QDir::homePath());
    }
}

TForm5::~TForm5() = default;

void TForm5::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_columnsSplitter = new QSplitter(Qt::Horizontal, this);
    m_columnsSplitter->setHandleWidth(kSplitterHandle);
    m_columnsSplitter->setChildrenCollapsible(false);
    layout->addWidget(m_columnsSplitter, 1);

    auto* left = new QWidget(m_columnsSplitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(3);
    m_folders = new FolderTree(left);
    // Long volume names must not widen the column.
    m_folders->driveBox()->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_folders->driveBox()->setMinimumContentsLength(8);
    leftLayout->addWidget(m_folders->driveBox());
    leftLayout->addWidget(m_folders->tree(), 1);

    m_rightSplitter = new QSplitter(Qt::Vertical, m_columnsSplitter);
    m_rightSplitter->setHandleWidth(kSplitterHandle);
    m_rightSplitter->setChildrenCollapsible(false);

    m_upper = new QWidget(m_rightSplitter);
    auto* upperLayout = new QVBoxLayout(m_upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    DrawGrid1 = new DrawGrid(m_upper);
    DrawGrid1->setObjectName("DrawGrid1");
    DrawGrid1->setCellSize(kCellWidth, kCellHeight);
    DrawGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DrawGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    DrawGrid1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    DrawGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    DrawGrid1->setDrawCell(
        [this](QPainter& painter, int column, int row, const QRect& rect, bool selected) {
            DrawGrid1DrawCell(painter, column, row, rect, selected);
        });
    upperLayout->addWidget(DrawGrid1);
    Edit3 = new QLineEdit(m_upper);
    Edit3->setObjectName("Edit3");
    Edit3->hide();

    m_lower = new QWidget(m_rightSplitter);
    GroupBox1 = new QGroupBox("Задать конкретные размеры", m_lower);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(2, 4, kGroupWidth, 176);
    CheckBox1 = new QCheckBox("вписать в прямоугольник", GroupBox1);
    CheckBox1->setObjectName("CheckBox1");
    // Wider than its 172 pixels where the font needs it for the check box's caption.
    const int groupWidth = std::max(kGroupWidth, CheckBox1->sizeHint().width() + 16);
    GroupBox1->resize(groupWidth, GroupBox1->height());
    CheckBox1->setGeometry(8, 22, groupWidth - 12, 19);
    auto* widthLabel = new QLabel("шириной", GroupBox1);
    widthLabel->setGeometry(8, 58, 60, 17);
    Edit1 = new QLineEdit("100", GroupBox1);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(72, 55, 57, kEditHeight);
    auto* heightLabel = new QLabel("высотой", GroupBox1);
    heightLabel->setGeometry(8, 90, 60, 17);
    Edit2 = new QLineEdit("100", GroupBox1);
    Edit2->setObjectName("Edit2");
    Edit2->setGeometry(72, 87, 57, kEditHeight);
    // Enter belongs to the rename editor; no button answers it.
    Button1 = common::makeButton("OK", "Button1", GroupBox1, QRect(8, 130, 75, 25));
    ScrollBox1 = new QFrame(m_lower);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Image1 = new QLabel(ScrollBox1);
    Image1->setObjectName("Image1");
    Image1->setAlignment(Qt::AlignCenter);

    // A larger window goes to the grid; the folder column and the lower part keep their size.
    m_columnsSplitter->setStretchFactor(0, 0);
    m_columnsSplitter->setStretchFactor(1, 1);
    m_rightSplitter->setStretchFactor(0, 1);
    m_rightSplitter->setStretchFactor(1, 0);
    m_columnsSplitter->setSizes({kLeftColumnWidth, kClientWidth - kLeftColumnWidth});
    m_rightSplitter->setSizes({kUpperHeight, kLowerHeight});

    StatusBar1 = new editors::PanelStatusBar({150, 120, 70, 50}, this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFixedHeight(editors::PanelStatusBar::kHeight);
    StatusBar1->setPanelAlignment(3, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(StatusBar1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* n1 = PopupMenu1->addAction("Выбрать", this, &TForm5::N1Click);
    n1->setObjectName("N1");
    QAction* n2 = PopupMenu1->addAction("Удалить", this, &TForm5::N2Click);
    n2->setObjectName("N2");
    QAction* n3 = PopupMenu1->addAction("Обновить", this, &TForm5::N3Click);
    n3->setObjectName("N3");

    m_lower->installEventFilter(this);
    DrawGrid1->viewport()->installEventFilter(this);
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);

    connect(m_folders, &FolderTree::folderChanged, this, &TForm5::DirectoryOutline1Change);
    connect(DrawGrid1, &QAbstractItemView::clicked, this, &TForm5::DrawGrid1Click);
    connect(DrawGrid1, &QAbstractItemView::doubleClicked, this, &TForm5::DrawGrid1DblClick);
    connect(DrawGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(DrawGrid1->viewport()->mapToGlobal(at));
    });
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(Edit3, &QLineEdit::returnPressed, this, &TForm5::Edit3Enter);
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == m_lower) layoutPreview();
        if (watched == DrawGrid1->viewport()) FormResize();
        break;
    case QEvent::MouseButtonPress:
        if (watched == DrawGrid1->viewport()) m_afterDoubleClick = false;
        break;
    case QEvent::FocusOut:
        if (watched == Edit1) Edit1Exit();
        if (watched == Edit2) Edit2Exit();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

std::string TForm5::folder() const {
    return m_folders->folder().toStdString();
}

int TForm5::currentIndex() const {
    return DrawGrid1->currentRow() * DrawGrid1->columnCount() + DrawGrid1->currentColumn();
}

std::string TForm5::entryAt(int index) const {
    if (index < 0 || index >= int(m_paths.size())) return {};
    return m_paths[std::size_t(index)];
}

void TForm5::DirectoryOutline1Change() {
    const std::string current = folder();
    if (current.empty() || !QFileInfo(qs(current)).isDir()) return;
    m_paths = listedPaths(common::listImageFiles(current));
    FormResize();
    DrawGrid1->viewport()->update();
    setWindowTitle(qs(libraryCaption(current, int(m_paths.size()))));
}

void TForm5::FormResize() {
    // The vertical scroll bar is always there, so the width for the columns never changes
    // with the number of rows.
    const int columns = gridColumns(DrawGrid1->viewport()->width());
    DrawGrid1->setDimensions(columns, gridRows(int(m_paths.size()), columns));
    layoutPreview();
}

void TForm5::layoutPreview() {
    // The preview area stands right of the size group.
    const int left = GroupBox1->geometry().right() + 7;
    ScrollBox1->setGeometry(left, kPreviewTop, std::max(0, m_lower->width() - left - 10),
                            std::max(0, m_lower->height() - 20));
    Image1->setGeometry(ScrollBox1->contentsRect());
}

void TForm5::DrawGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect,
                               bool /*selected*/) {
    const std::string entry = entryAt(row * DrawGrid1->columnCount() + column);
    if (entry.empty()) return;
    const QFileInfo file(qs(entry));
    if (!file.isFile()) return;

    if (const ThumbnailLoader::Thumbnail* thumbnail = m_thumbnails->thumbnail(file)) {
        if (thumbnail->failed) {
            drawPlaceholder(painter, QRect(rect.topLeft(), QSize(kThumbnailSide, kThumbnailSide)));
        } else if (!thumbnail->image.isNull()) {
            const ThumbnailPlace place =
                thumbnailPlace(thumbnail->pictureWidth, thumbnail->pictureHeight);
            painter.drawImage(rect.topLeft() + QPoint(place.x, place.y), thumbnail->image);
        }
    }

    // The name without its extension, centred when narrower than its strip, else cut.
    const QString caption = qs(common::fileNameOf(common::stripExtension(entry)));
    const QRect strip(rect.left() + 5, rect.top() + kThumbnailSide, kCellWidth - 10,
                      rect.height() - kThumbnailSide);
    const int offset = captionOffset(painter.fontMetrics().horizontalAdvance(caption));
    painter.save();
    painter.setClipRect(strip, Qt::IntersectClip);
    painter.drawText(strip.adjusted(offset, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
    painter.restore();
}

void TForm5::thumbnailReady(const QString& path) {
    const QRect cells = DrawGrid1->visibleCells();
    const int columns = DrawGrid1->columnCount();
    for (int row = cells.top(); row <= cells.bottom(); ++row) {
        for (int column = cells.left(); column <= cells.right(); ++column) {
            const std::string entry = entryAt(row * columns + column);
            if (!entry.empty() && qs(entry) == path)
                DrawGrid1->viewport()->update(DrawGrid1->cellRect(column, row));
        }
    }
}

void TForm5::DrawGrid1Click() {
    // The release of a double click's second press is no click of its own.
    if (m_afterDoubleClick) {
        m_afterDoubleClick = false;
        return;
    }
    const int index = currentIndex();
    const std::string path = entryAt(index);
    if (index == m_lastClickedCell && !path.empty()) {
        // The same cell again: the rename editor over its caption strip.
        const QRect cell = DrawGrid1->cellRect(DrawGrid1->currentColumn(), DrawGrid1->currentRow());
        const QPoint at = DrawGrid1->pos() + DrawGrid1->viewport()->pos() + cell.topLeft();
        Edit3->setGeometry(at.x() + 2, at.y() + kThumbnailSide + 1, kCellWidth, kEditHeight);
        Edit3->setText(qs(common::stripExtension(common::fileNameOf(path))));
        Edit3->show();
        Edit3->raise();
        Edit3->setFocus();
        Edit3->selectAll();
        return;
    }
    Edit3->hide();
    m_lastClickedCell = index;
    if (path.empty() || !common::fileExists(path)) {
        clearStatus();
        return;
    }
    if (const common::Status decoded = project::decodePicture(path, decodedPicture); !decoded) {
        // A file that cannot be decoded: an empty preview, the reason in its tooltip.
        clearStatus();
        Image1->clear();
        Image1->setToolTip(qs(decoded.message()));
        m_showsPicture = false;
        m_shownSize = {};
        StatusBar1->setPanelText(3, qs(path));
        return;
    }
    const int w = decodedPicture.width(), h = decodedPicture.height();
    if (CheckBox1->isChecked()) {
        const FittedSize fitted = fitIntoRectangle(w, h, sizeBoxValue(Edit1->text().toStdString()),
                                                   sizeBoxValue(Edit2->text().toStdString()));
        scaledPicture = common::Raster(fitted.width, fitted.height);
        common::scaleNearest(decodedPicture, scaledPicture);
        showPreview(scaledPicture);
        m_shownSize = QSize(fitted.width, fitted.height);
    } else {
        showPreview(decodedPicture);
        m_shownSize = QSize(w, h);
    }
    m_showsPicture = true;
    StatusBar1->setPanelText(0, qs(resolutionText(w, h)));
    StatusBar1->setPanelText(1, qs(ratioText(w, h)));
    StatusBar1->setPanelText(2, qs(common::formatByteSize(common::fileSizeOf(path))));
    StatusBar1->setPanelText(3, qs(path));
}

void TForm5::showPreview(const common::Raster& picture) {
    Image1->setToolTip(QString());
    if (picture.isEmpty()) {
        Image1->clear();
        return;
    }
    const QImage image(picture.data(), picture.width(), picture.height(),
                       qsizetype(picture.stride()), QImage::Format_RGB888);
    Image1->setPixmap(QPixmap::fromImage(image)); // a copy: the raster is reused
}

void TForm5::clearStatus() {
    for (int panel = 0; panel < StatusBar1->panelCount(); ++panel)
        StatusBar1->setPanelText(panel, QString());
}

void TForm5::DrawGrid1DblClick() {
    m_afterDoubleClick = true;
    choose();
}

void TForm5::Button1Click() {
    choose();
}

void TForm5::N1Click() {
    choose();
}

void TForm5::choose() {
    const std::string path = entryAt(currentIndex());
    if (path.empty()) {
        QApplication::beep();
        emit beeped();
        return;
    }
    // A file gone since the listing is not handed on; the window stays open.
    if (!common::fileExists(path)) return;
    Edit3->hide();
    if (editors::TForm8* attributes = app::windows().Form8) {
        std::string width, height;
        if (CheckBox1->isChecked() && m_showsPicture) {
            width = std::to_string(m_shownSize.width());
            height = std::to_string(m_shownSize.height());
        }
        attributes->setPictureBoxes(QFileInfo(qs(path)).absoluteFilePath().toStdString(), width,
                                    height);
        attributes->N2Click();
    }
    accept();
}

void TForm5::N2Click() {
    // Column by column, each from top to bottom; no question is asked. Files go to the
    // desktop's trash where there is one, so a slip can be undone; without one they are
    // deleted for good.
    const QRect range = DrawGrid1->selectedRange();
    const int columns = DrawGrid1->columnCount();
    for (int column = range.left(); column <= range.right(); ++column) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const std::string path = entryAt(row * columns + column);
            if (path.empty() || !common::fileExists(path)) continue;
            QFile file(qs(path));
            if (file.moveToTrash() || file.remove()) continue;
            QMessageBox::critical(this, kMessageTitle, file.errorString());
            DirectoryOutline1Change();
            return;
        }
    }
    DirectoryOutline1Change();
}

void TForm5::N3Click() {
    DirectoryOutline1Change();
}

void TForm5::Edit1Exit() {
    Edit1->setText(QString::number(sizeBoxValue(Edit1->text().toStdString())));
}

void TForm5::Edit2Exit() {
    Edit2->setText(QString::number(sizeBoxValue(Edit2->text().toStdString())));
}

void TForm5::Edit3Enter() {
    Edit3->hide();
    DrawGrid1->setFocus();
    const int index = currentIndex();
    const std::string old = entryAt(index);
    if (old.empty()) return;
    const std::string name = Edit3->text().toStdString();
    const std::string renamed = common::directoryOf(old) + "/" + name + common::extensionOf(old);
    if (renamed == old) return;
    // The name stays in the folder: an empty name or one holding a separator is refused, and
    // an existing file is never replaced.
    const bool ok =
        !name.empty() && name.find('/') == std::string::npos && QFile::rename(qs(old), qs(renamed));
    if (!ok) {
        QMessageBox box(QMessageBox::NoIcon, kMessageTitle, "Ошибка переименования!",
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    m_paths[std::size_t(index)] = renamed;
    DrawGrid1->viewport()->update();
}

} // namespace library
