#include "app/alarmtab.h"

#include "alerts/drawnotice.h"
#include "app/alarmwindow.h"
#include "app/drawpopup.h"
#include "ui_alarmtab.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>

#include <algorithm>

namespace tandor28 {

namespace {

constexpr int kBalloonShowMs = 5000;
constexpr int kBalloonMaxWidth = 360;

QSize screenSize(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

} // namespace

BalloonTip::BalloonTip(QObject* parent) : QObject(parent)
{
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kBalloonShowMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &BalloonTip::hide);
}

BalloonTip::~BalloonTip() = default;

void BalloonTip::show(const QString& text, QPoint anchor)
{
    m_lastText = text;
    if (QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages()) {
        if (!m_tray) {
            QIcon icon = QApplication::windowIcon();
            if (icon.isNull())
                icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
            m_tray = new QSystemTrayIcon(icon, this);
            m_tray->show();
        }
        m_tray->showMessage(QString(), text, QSystemTrayIcon::NoIcon, kBalloonShowMs);
        return;
    }
    if (!m_window) {
        m_window = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        m_window->setObjectName(QStringLiteral("balloonTipWindow"));
        m_window->setWordWrap(true);
        m_window->setMargin(8);
        m_window->setStyleSheet(
            QStringLiteral("QLabel { background: #ffffe1; color: black; border: 1px solid #767676; }"));
    }
    m_window->setText(text);
    m_window->ensurePolished();
    // As wide as the text up to a limit, then as high as the wrapped text needs.
    const int frame = 2 * m_window->margin() + 4;
    const int width = std::min(m_window->fontMetrics().horizontalAdvance(text) + frame, kBalloonMaxWidth);
    m_window->setFixedWidth(width);
    m_window->setFixedHeight(m_window->heightForWidth(width));
    // The balloon's point is its lower right corner, so it stays on the screen.
    m_window->move(anchor.x() - m_window->width(), anchor.y() - m_window->height());
    m_window->show();
    m_hideTimer.start();
}

QLabel* BalloonTip::window() const
{
    return m_window && m_window->isVisible() ? m_window.get() : nullptr;
}

void BalloonTip::hide()
{
    m_hideTimer.stop();
    if (m_window)
        m_window->hide();
}

AlarmTab::AlarmTab(const AppState& state, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AlarmTab>()), m_state(state),
      m_balloon(std::make_unique<BalloonTip>()), m_playSound(&playSoundClip)
{
    m_ui->setupUi(this);
    // Letters would read as 0 and make every run of one draw an alarm: digits only.
    m_ui->thresholdEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
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

StreakAlarmSettings AlarmTab::settings() const
{
    StreakAlarmSettings settings;
    settings.thresholdText = m_ui->thresholdEdit->text();
    settings.sound = m_ui->alarmSoundCheck->isChecked();
    settings.popup = m_ui->alarmPopupCheck->isChecked();
    settings.balloon = m_ui->alarmBalloonCheck->isChecked();
    settings.typeOneSelected = m_ui->typeOneRadio->isChecked();
    const QCheckBox* boxes[kStreakCategoryCount] = {
        m_ui->watchSizeCheck, m_ui->watchParityCheck, m_ui->watchComboCheck, m_ui->watchMiddleEdgeCheck,
        m_ui->watchMod3Check, m_ui->watchMod4Check,   m_ui->watchMod5Check,  m_ui->watchPairCheck,
    };
    for (int i = 0; i < kStreakCategoryCount; ++i)
        settings.setWatched(static_cast<StreakCategory>(i), boxes[i]->isChecked());
    return settings;
}

void AlarmTab::evaluateStreakAlarm()
{
    const std::optional<StreakAlarmResult> result = tandor28::evaluateStreakAlarm(m_state.history, settings());
    if (!result)
        return;
    if (!m_alarmWindow)
        openAlarmWindow();
    m_alarmWindow->setAlarmText(result->text);
    if (result->playSound)
        m_playSound(SoundClip::Alarm);
    if (result->showBalloon)
        m_balloon->show(result->balloonText, balloonPosition(screenSize(m_alarmWindow)));
}

void AlarmTab::maybeShowDrawPopup(const QString& oldIssue)
{
    if (!m_state.drawNotice || !isNewDraw(oldIssue, m_state.history))
        return;
    // A newer draw replaces a popup that is still counting down.
    if (m_drawPopup)
        delete m_drawPopup;
    const DrawPopupTexts texts = drawPopupTexts(m_state.headlineIssueText(), m_state.history);
    m_drawPopup = new DrawPopup;
    m_drawPopup->setAttribute(Qt::WA_DeleteOnClose);
    m_drawPopup->setTexts(texts.issue, texts.draw, texts.history);
    m_drawPopup->placeAtScreenCorner();
    if (m_state.drawSound)
        m_playSound(SoundClip::Popup);
    m_drawPopup->show();
}

void AlarmTab::playNewDrawSound()
{
    if (m_state.drawSound)
        m_playSound(SoundClip::NewDraw);
}

void AlarmTab::onTrainAlarmClicked(bool checked)
{
    if (!checked)
        return;
    openAlarmWindow();
}

void AlarmTab::openAlarmWindow()
{
    if (!m_alarmWindow) {
        m_alarmWindow = new AlarmWindow;
        m_alarmWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_alarmWindow, &AlarmWindow::closed, this, &AlarmTab::onAlarmWindowClosed);
    }
    m_alarmWindow->show();
    Q_EMIT alarmWindowOpened();
}

void AlarmTab::onAlarmWindowClosed()
{
    Q_EMIT alarmWindowClosed();
}

} // namespace tandor28
