#pragma once

#include <QDialog>

namespace app {

// About window: product name, version and icon.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

} // namespace app
