#pragma once

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
    void setAlarmText(const QString& text);

    void onBlinkToggled(bool on);
    void onStayOnTopToggled(bool on);

Q_SIGNALS:
    // The window went away, by "关闭" or by its frame; the alarm switches off.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const std::unique_ptr<Ui::AlarmWindow> m_ui;
};

} // namespace tandor28
