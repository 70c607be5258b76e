#pragma once

#include "app/appstate.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class AlarmTab;
}

namespace tandor28 {

class AlarmWindow;
class DrawPopup;

// Tab "火车报警" with the alert entry points of the refresh: it owns the alarm window and the
// new-draw popup, evaluates the streak alarm and plays the new-draw sound.
class AlarmTab : public QWidget
{
    Q_OBJECT

public:
    AlarmTab(const AppState& state, const WindowParts& parts, QWidget* parent = nullptr);
    ~AlarmTab() override;

    // The refresh calls this while the main window's "火车报警" is ticked.
    void evaluateStreakAlarm();
    // The refresh calls this with the issue the headline showed before it.
    void maybeShowDrawPopup(const QString& oldIssue);
    // The last step of every refresh.
    void playNewDrawSound();

    // The main window's "火车报警" check box was clicked.
    void onTrainAlarmClicked(bool checked);

    // Null while closed.
    [[nodiscard]] AlarmWindow* alarmWindow() const;
    [[nodiscard]] DrawPopup* drawPopup() const;

private:
    void onAlarmWindowClosed();

    const std::unique_ptr<Ui::AlarmTab> m_ui;
    const AppState& m_state;
    const WindowParts& m_parts;
    QPointer<AlarmWindow> m_alarmWindow;
    QPointer<DrawPopup> m_drawPopup;
};

} // namespace tandor28
