#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;

namespace Ui {
class AlarmWindow;
}

namespace tandor28 {

// The separate "火车报警" window: the alarm text, blinking, stay-on-top and "关闭".
class AlarmWindow : public QWidget
{
    Q_OBJECT

public:
    explicit AlarmWindow(QWidget* parent = nullptr);
    ~AlarmWindow() override;

    [[nodiscard]] QLabel* textLabel() const;
    // The alarm text, also while a blink has blanked the label.
    [[nodiscard]] QString alarmText() const { return m_alarmText; }
    void setAlarmText(const QString& text);

    void onBlinkToggled(bool on);
    void onStayOnTopToggled(bool on);

    // Once a second while blinking: blank the label for half a second.
    void onBlinkTick();
    // Half a second after a blink: show the text current at this moment.
    void onBlinkEnd();
    [[nodiscard]] bool isBlinkRunning() const { return m_blinkTimer.isActive(); }
    [[nodiscard]] bool isBlanked() const { return m_blanked; }

Q_SIGNALS:
    // The window went away, by "关闭" or by its frame; the alarm switches off.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const std::unique_ptr<Ui::AlarmWindow> m_ui;
    QString m_alarmText;
    QTimer m_blinkTimer;
    QTimer m_blankTimer;
    bool m_blanked = false;
};

} // namespace tandor28
