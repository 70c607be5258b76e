#include "app/alarmtab.h"

#include "app/alarmwindow.h"
#include "app/drawpopup.h"
#include "ui_alarmtab.h"

#include <QCheckBox>

namespace tandor28 {

AlarmTab::AlarmTab(const AppState& state, const WindowParts& parts, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AlarmTab>()), m_state(state), m_parts(parts)
{
    m_ui->setupUi(this);
}

AlarmTab::~AlarmTab()
{
    delete m_alarmWindow;
    delete m_drawPopup;
}

AlarmWindow* AlarmTab::alarmWindow() const
{
    return m_alarmWindow;
}

DrawPopup* AlarmTab::drawPopup() const
{
    return m_drawPopup;
}

void AlarmTab::evaluateStreakAlarm() {}

void AlarmTab::maybeShowDrawPopup(const QString& oldIssue)
{
    Q_UNUSED(oldIssue);
}

void AlarmTab::playNewDrawSound() {}

void AlarmTab::onTrainAlarmClicked(bool checked)
{
    if (!checked)
        return;
    // The box stays ticked and disabled until the alarm window's "关闭".
    if (m_parts.trainAlarmCheck)
        m_parts.trainAlarmCheck->setEnabled(false);
    if (!m_alarmWindow) {
        m_alarmWindow = new AlarmWindow;
        m_alarmWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_alarmWindow, &AlarmWindow::closed, this, &AlarmTab::onAlarmWindowClosed);
    }
    m_alarmWindow->show();
}

void AlarmTab::onAlarmWindowClosed()
{
    if (m_parts.trainAlarmCheck) {
        m_parts.trainAlarmCheck->setChecked(false);
        m_parts.trainAlarmCheck->setEnabled(true);
    }
}

} // namespace tandor28
