#include "app/drawpopup.h"

#include "ui_drawpopup.h"

#include <QEvent>
#include <QScreen>

namespace tandor28 {

namespace {

QString countdownTitle(int secondsLeft)
{
    return QStringLiteral("  Tandor28开奖提示:  双击关闭 %1s后自动关闭").arg(secondsLeft);
}

} // namespace

DrawPopup::DrawPopup(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_ui(std::make_unique<Ui::DrawPopup>())
{
    m_ui->setupUi(this);
    setFixedSize(325, 159);
    m_ui->popupTitleLabel->installEventFilter(this);
    m_timer.setInterval(1000);
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
    const QRect area = screen->geometry();
    move(area.width() - width() - 20, area.height() - height() - 80);
}

void DrawPopup::onTick()
{
    ++m_ticks;
    m_ui->popupTitleLabel->setText(countdownTitle(10 - m_ticks));
    if (m_ticks >= 11) {
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
