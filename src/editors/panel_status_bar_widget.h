#pragma once
// A status bar of panels with centred text, laid along the bottom edge of a window. Panels
// have fixed widths except the last, which reaches to the bar's right edge. Panels are QLabels
// named "Panel0", "Panel1", ...

#include <QWidget>

#include <initializer_list>
#include <vector>

class QLabel;

namespace editors {

class PanelStatusBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 19;

    // Panel widths in pixels, left to right.
    PanelStatusBar(std::initializer_list<int> widths, QWidget* parent);

    void setPanelText(int panel, const QString& text);
    // Centred unless set otherwise.
    void setPanelAlignment(int panel, Qt::Alignment alignment);
    QString panelText(int panel) const;
    int panelCount() const { return int(m_panels.size()); }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutPanels();

    std::vector<int> m_widths;
    std::vector<QLabel*> m_panels;
};

} // namespace editors
