#include "app/alarmwindow.h"

#include "ui_alarmwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>

namespace tandor28 {

AlarmWindow::AlarmWindow(QWidget* parent) : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::AlarmWindow>())
{
    m_ui->setupUi(this);
    setFixedSize(350, 450);
    setAlarmText(QStringLiteral("火车报警：\r\n\r\n首次打开请先刷新一下软件"));
    move(1, 1);
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
    m_ui->alarmTextLabel->setText(text);
}

void AlarmWindow::onBlinkToggled(bool on)
{
    Q_UNUSED(on);
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
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

} // namespace tandor28
