#include "app/linklabel.h"

#include <QMouseEvent>

namespace tandor28 {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("color: rgb(0, 0, 255); text-decoration: underline;"));
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace tandor28
