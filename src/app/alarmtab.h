#pragma once

#include "alerts/sound.h"
#include "alerts/streakalarm.h"
#include "app/appstate.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace Ui {
class AlarmTab;
}

namespace tandor28 {

class AlarmWindow;
class DrawPopup;

// The balloon tip of the streak alarm: the desktop's notification through a tray icon where the
// desktop has a tray, otherwise a small tooltip-like window whose corner stands at the given point.
class BalloonTip : public QObject
{
    Q_OBJECT

public:
    explicit BalloonTip(QObject* parent = nullptr);
    ~BalloonTip() override;

    // Shows text (no title, no icon) for a few seconds; anchor is the balloon's lower right corner.
    void show(const QString& text, QPoint anchor);
    // The fallback window while it shows, else null.
    [[nodiscard]] QLabel* window() const;
    [[nodiscard]] QString lastText() const { return m_lastText; }
    // Hides the fallback window; its timer calls this after a few seconds.
    void hide();

private:
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<QLabel> m_window;
    QTimer m_hideTimer;
    QString m_lastText;
};

// Tab "火车报警" with the alert entry points of the refresh: it owns the alarm window and the
// new-draw popup, evaluates the streak alarm and plays the new-draw sound.
class AlarmTab : public QWidget
{
    Q_OBJECT

public:
    AlarmTab(const AppState& state, QWidget* parent = nullptr);
    ~AlarmTab() override;

    // The refresh calls this while the main window's "火车报警" is ticked.
    void evaluateStreakAlarm();
    // The refresh calls this with the issue the headline showed before it, once the headline shows
    // the newest draw.
    void maybeShowDrawPopup(const QString& oldIssue);
    // The last step of every refresh.
    void playNewDrawSound();

    // The main window's "火车报警" check box was clicked.
    void onTrainAlarmClicked(bool checked);

    // The settings as the tab's controls show them now.
    [[nodiscard]] StreakAlarmSettings settings() const;

    // Null while closed.
    [[nodiscard]] AlarmWindow* alarmWindow() const;
    [[nodiscard]] DrawPopup* drawPopup() const;
    [[nodiscard]] BalloonTip* balloonTip() const { return m_balloon.get(); }

    // Plays the clips; tests put a recorder here.
    void setSoundPlayer(std::function<void(SoundClip)> player) { m_playSound = std::move(player); }

Q_SIGNALS:
    // The alarm window opened (by the "火车报警" box or by an alarm) or went away; the main window's
    // box stays ticked and disabled while it is open.
    void alarmWindowOpened();
    void alarmWindowClosed();

private:
    void openAlarmWindow();
    void onAlarmWindowClosed();

    const std::unique_ptr<Ui::AlarmTab> m_ui;
    const AppState& m_state;
    QPointer<AlarmWindow> m_alarmWindow;
    QPointer<DrawPopup> m_drawPopup;
    std::unique_ptr<BalloonTip> m_balloon;
    std::function<void(SoundClip)> m_playSound;
};

} // namespace tandor28
