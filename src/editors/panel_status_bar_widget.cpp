#include "editors/panel_status_bar_widget.h"

#include <QLabel>

#include <algorithm>
#include <cassert>

namespace editors {

PanelStatusBar::PanelStatusBar(std::initializer_list<int> widths, QWidget* parent)
    : QWidget(parent), m_widths(widths) {
    for (std::size_t i = 0; i < m_widths.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString("Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(Qt::AlignCenter);
        m_panels.push_back(panel);
    }
    resize(width(), kHeight);
    layoutPanels();
}

void PanelStatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutPanels();
}

void PanelStatusBar::layoutPanels() {
    int left = 0;
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        int w = m_widths[i];
        if (i + 1 == m_panels.size()) w = std::max(w, width() - left);
        m_panels[i]->setGeometry(left, 0, w, height());
        left += m_widths[i];
    }
}

void PanelStatusBar::setPanelText(int panel, const QString& text) {
    assert(panel >= 0 && panel < panelCount());
    m_panels[std::size_t(panel)]->setText(text);
}

void PanelStatusBar::setPanelAlignment(int panel, Qt::Alignment alignment) {
    assert(panel >= 0 && panel < panelCount());
    m_panels[std::size_t(panel)]->setAlignment(alignment);
}

QString PanelStatusBar::panelText(int panel) const {
    assert(panel >= 0 && panel < panelCount());
    return m_panels[std::size_t(panel)]->text();
}

} // namespace editors
