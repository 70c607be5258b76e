#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class DrawPopup;
}

namespace tandor28 {

// The new-draw popup: always on top in the lower right corner, counts down from 10 and closes
// itself 11 s after it opened, or at once on a double-click or a click on its title.
class DrawPopup : public QWidget
{
    Q_OBJECT

public:
    explicit DrawPopup(QWidget* parent = nullptr);
    ~DrawPopup() override;

    void setTexts(const QString& issueText, const QString& drawText, const QString& historyText);
    [[nodiscard]] QString titleText() const;
    [[nodiscard]] QString issueText() const;
    [[nodiscard]] QString drawText() const;
    [[nodiscard]] QString historyText() const;
    [[nodiscard]] int ticks() const { return m_ticks; }

    // Moves the popup to the lower right corner of the screen.
    void placeAtScreenCorner();
    // One second of the countdown.
    void onTick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const std::unique_ptr<Ui::DrawPopup> m_ui;
    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace tandor28
