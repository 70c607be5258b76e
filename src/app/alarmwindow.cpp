#include "app/alarmwindow.h"

#include "alerts/streakalarm.h"
#include "app/framesize.h"
#include "ui_alarmwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>

namespace tandor28 {

namespace {

constexpr int kBlinkPeriodMs = 1000;
constexpr int kBlankMs = 500;

} // namespace

AlarmWindow::AlarmWindow(QWidget* parent) : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::AlarmWindow>())
{
    m_ui->setupUi(this);
    setFixedSize(clientSizeForFrame(QSize(350, 450)));
    setAlarmText(alarmWindowInitialText());
    move(1, 1);
    m_blinkTimer.setInterval(kBlinkPeriodMs);
    m_blankTimer.setSingleShot(true);
    m_blankTimer.setInterval(kBlankMs);
    connect(&m_blinkTimer, &QTimer::timeout, this, &AlarmWindow::onBlinkTick);
    connect(&m_blankTimer, &QTimer::timeout, this, &AlarmWindow::onBlinkEnd);
    connect(m_ui->blinkCheck, &QCheckBox::toggled, this, &AlarmWindow::onBlinkToggled);
    connect(m_ui->stayOnTopCheck, &QCheckBox::toggled, this, &AlarmWindow::onStayOnTopToggled);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
}

AlarmWindow::~AlarmWindow() = default;

QLabel* AlarmWindow::textLabel() const
{
    return m_ui->alarmTextLabel;
}

void AlarmWindow::setAlarmText(const QString& text)
{
    m_alarmText = text;
    // While blanked the new text waits for the end of the blink.
    if (!m_blanked)
        m_ui->alarmTextLabel->setText(text);
}

void AlarmWindow::onBlinkToggled(bool on)
{
    if (on) {
        m_blinkTimer.start();
        return;
    }
    m_blinkTimer.stop();
    if (m_blanked)
        onBlinkEnd();
}

void AlarmWindow::onBlinkTick()
{
    m_blanked = true;
    m_ui->alarmTextLabel->clear();
    m_blankTimer.start();
}

void AlarmWindow::onBlinkEnd()
{
    m_blankTimer.stop();
    m_blanked = false;
    m_ui->alarmTextLabel->setText(m_alarmText);
}

void AlarmWindow::onStayOnTopToggled(bool on)
{
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window flag hides the window; bring it back where it was.
    if (wasVisible)
        show();
}

void AlarmWindow::closeEvent(QCloseEvent* event)
{
    m_blinkTimer.stop();
    m_blankTimer.stop();
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

} // namespace tandor28
