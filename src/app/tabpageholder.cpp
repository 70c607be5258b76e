#include "app/tabpageholder.h"

#include <QTabWidget>

namespace tandor28 {

TabPageHolder::TabPageHolder(QWidget* content, QTabWidget* tabControl)
    : QWidget(tabControl), m_content(content), m_tabControl(tabControl)
{
    m_content->setParent(this);
    placeContent();
}

void TabPageHolder::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeContent();
}

void TabPageHolder::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    placeContent();
}

void TabPageHolder::placeContent()
{
    QPoint offset;
    if (m_tabControl->isAncestorOf(this))
        offset = mapTo(m_tabControl, QPoint(0, 0));
    m_content->setGeometry(-offset.x(), -offset.y(), m_tabControl->width(), m_tabControl->height());
}

} // namespace tandor28
