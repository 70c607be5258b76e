#include "app/drawpopup.h"

#include "alerts/drawnotice.h"
#include "ui_drawpopup.h"

#include <QEvent>
#include <QScreen>

namespace tandor28 {

DrawPopup::DrawPopup(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_ui(std::make_unique<Ui::DrawPopup>())
{
    m_ui->setupUi(this);
    // A tool window with a thin frame of its own: the title label is its caption strip, so its outer
    // size is the popup's size on any desktop, and its content (down to y = 152) fits inside.
    setFixedSize(kDrawPopupSize);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#DrawPopup { border: 1px solid rgb(90, 90, 90); }"));
    m_ui->popupTitleLabel->setText(drawPopupTitle(0));
    m_ui->popupTitleLabel->installEventFilter(this);
    m_timer.setInterval(kDrawPopupTickMs);
    connect(&m_timer, &QTimer::timeout, this, &DrawPopup::onTick);
    m_timer.start();
    placeAtScreenCorner();
}

DrawPopup::~DrawPopup() = default;

void DrawPopup::setTexts(const QString& issueText, const QString& drawText, const QString& historyText)
{
    m_ui->popupIssueLabel->setText(issueText);
    m_ui->popupDrawLabel->setText(drawText);
    m_ui->popupHistoryLabel->setText(historyText);
}

QString DrawPopup::titleText() const
{
    return m_ui->popupTitleLabel->text();
}

QString DrawPopup::issueText() const
{
    return m_ui->popupIssueLabel->text();
}

QString DrawPopup::drawText() const
{
    return m_ui->popupDrawLabel->text();
}

QString DrawPopup::historyText() const
{
    return m_ui->popupHistoryLabel->text();
}

void DrawPopup::placeAtScreenCorner()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    move(drawPopupPosition(screen->geometry().size()));
}

void DrawPopup::onTick()
{
    ++m_ticks;
    m_ui->popupTitleLabel->setText(drawPopupTitle(m_ticks));
    if (drawPopupClosesAt(m_ticks)) {
        m_timer.stop();
        close();
    }
}

void DrawPopup::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    m_timer.stop();
    close();
}

bool DrawPopup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->popupTitleLabel &&
        (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick)) {
        m_timer.stop();
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tandor28
