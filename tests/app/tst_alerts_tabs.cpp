#include "alerts/drawnotice.h"
#include "alerts/trend.h"
#include "app/alarmtab.h"
#include "app/alarmwindow.h"
#include "app/drawpopup.h"
#include "app/gridmodel.h"
#include "app/trendtab.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

using namespace tandor28;

namespace {

Draw drawOf(int d1, int d2, int d3, int issue)
{
    return makeDraw(QString::number(issue), QStringLiteral("12:00"), QString::number(d1), QString::number(d2),
                    QString::number(d3));
}

// Newest first, issues counting down from 1000, padded to the full history with empty draws.
DrawHistory historyOf(const QList<QList<int>>& draws)
{
    DrawHistory history;
    int issue = 1000;
    for (const QList<int>& d : draws)
        history.append(drawOf(d[0], d[1], d[2], issue--));
    while (history.size() < kHistoryLength)
        history.append(Draw{});
    return history;
}

const QString kCrLf2 = QStringLiteral("\r\n\r\n");

} // namespace

// The alert tabs with a stand-in for the main window's notification strip and headline.
class TestAlertsTabs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void trendRowTextsAndColours();
    void categoryListCountsAfterUpdate();
    void tickingTheAlarmBoxOpensTheWindow();
    void alarmReport_data();
    void alarmReport();
    void typeTwoKeepsTheLastText();
    void blinkShowsTheCurrentText();
    void stayOnTop();
    void closingTheAlarmWindow_data();
    void closingTheAlarmWindow();
    void popupOnNewIssue_data();
    void popupOnNewIssue();
    void popupCountsDownAndCloses();
    void popupClosesEarly_data();
    void popupClosesEarly();
    void secondNewDrawReplacesThePopup();
    void newDrawSound_data();
    void newDrawSound();

private:
    QWidget* findIn(QWidget* parent, const char* name) const;
    void tickTrainAlarm();

    std::unique_ptr<QWidget> m_strip;
    QCheckBox* m_drawNotice = nullptr;
    QCheckBox* m_drawSound = nullptr;
    QCheckBox* m_trainAlarm = nullptr;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<AlarmTab> m_alarmTab;
    std::unique_ptr<TrendTab> m_trendTab;
    QList<SoundClip> m_played;
};

void TestAlertsTabs::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestAlertsTabs::init()
{
    m_strip = std::make_unique<QWidget>();
    m_drawNotice = new QCheckBox(QStringLiteral("开奖提示"), m_strip.get());
    m_drawSound = new QCheckBox(QStringLiteral("提示音"), m_strip.get());
    m_trainAlarm = new QCheckBox(QStringLiteral("火车报警"), m_strip.get());
    m_strip->show();
    m_state = std::make_unique<AppState>();
    // The headline shows issue 1000.
    m_state->setShownIssue(QStringLiteral("1000"));
    m_alarmTab = std::make_unique<AlarmTab>(*m_state);
    m_trendTab = std::make_unique<TrendTab>(*m_state);
    // Wired as the main window wires its notification strip.
    connect(m_drawNotice, &QCheckBox::toggled, m_state.get(), &AppState::setDrawNotice);
    connect(m_drawSound, &QCheckBox::toggled, m_state.get(), &AppState::setDrawSound);
    connect(m_trainAlarm, &QCheckBox::clicked, m_alarmTab.get(), &AlarmTab::onTrainAlarmClicked);
    connect(m_alarmTab.get(), &AlarmTab::alarmWindowOpened, m_trainAlarm, [this] {
        m_trainAlarm->setChecked(true);
        m_trainAlarm->setEnabled(false);
    });
    connect(m_alarmTab.get(), &AlarmTab::alarmWindowClosed, m_trainAlarm, [this] {
        m_trainAlarm->setChecked(false);
        m_trainAlarm->setEnabled(true);
    });
    m_played.clear();
    m_alarmTab->setSoundPlayer([this](SoundClip clip) { m_played << clip; });
}

void TestAlertsTabs::cleanup()
{
    m_alarmTab.reset();
    m_trendTab.reset();
    m_strip.reset();
}

QWidget* TestAlertsTabs::findIn(QWidget* parent, const char* name) const
{
    return parent->findChild<QWidget*>(QString::fromLatin1(name));
}

void TestAlertsTabs::tickTrainAlarm()
{
    QTest::mouseClick(m_trainAlarm, Qt::LeftButton);
}

void TestAlertsTabs::trendRowTextsAndColours()
{
    m_trendTab->fillTrendRow(1, drawOf(4, 5, 8, 777));
    m_trendTab->fillTrendRow(2, drawOf(0, 1, 2, 776));
    QTableView* table = m_trendTab->table();
    const QStringList first{"777", "4 + 5 + 8 = 17", "大", "单", "大单", "中", "2", "1", "2"};
    for (int column = 0; column < first.size(); ++column)
        QCOMPARE(cellText(table, 1, column), first[column]);
    QCOMPARE(cellBackground(table, 1, 2), (Rgb{255, 0, 0}));
    QCOMPARE(cellBackground(table, 1, 4), (Rgb{0, 0, 255}));
    QCOMPARE(cellBackground(table, 1, 6), (Rgb{255, 128, 0}));
    QCOMPARE(cellBackground(table, 1, 7), (Rgb{0, 96, 192}));
    // 0 + 1 + 2 = 03: 小 has the same blue as the 大单 above
    QCOMPARE(cellText(table, 2, 2), QStringLiteral("小"));
    QCOMPARE(cellBackground(table, 2, 2), cellBackground(table, 1, 4));
    QCOMPARE(cellBackground(table, 2, 6), (Rgb{128, 160, 128}));
    // beyond the table's rows nothing is written and nothing breaks
    m_trendTab->fillTrendRow(kPeriodCount + 5, drawOf(1, 1, 1, 1));
    QCOMPARE(gridRowCount(table), kPeriodCount + 1);
}

void TestAlertsTabs::categoryListCountsAfterUpdate()
{
    QTreeWidget* list = m_trendTab->categoryList();
    QCOMPARE(list->topLevelItemCount(), kCategoryCount);
    QCOMPARE(list->topLevelItem(0)->text(1), QString());

    QList<QList<int>> draws{{9, 9, 9}, {1, 4, 9}};
    while (draws.size() < kHistoryLength)
        draws << QList<int>{0, 4, 9}; // 13
    m_state->history = historyOf(draws);
    m_trendTab->updateCategoryList();
    const auto row = [&](int i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        return QStringList{item->text(0), item->text(1), item->text(2)};
    };
    QCOMPARE(row(0), (QStringList{"大", "2", "2%"}));
    QCOMPARE(row(1), (QStringList{"小", "98", "98%"}));
    QCOMPARE(row(8), (QStringList{"大双", "1", "1%"}));
    QCOMPARE(row(9), (QStringList{"大单", "1", "1%"}));
    QCOMPARE(row(12), (QStringList{"豹子", "1", "1%"}));
    QCOMPARE(row(24), (QStringList{"5N4", "1", "1%"}));
}

void TestAlertsTabs::tickingTheAlarmBoxOpensTheWindow()
{
    QVERIFY(!m_alarmTab->alarmWindow());
    tickTrainAlarm();
    AlarmWindow* window = m_alarmTab->alarmWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(m_trainAlarm->isChecked());
    QVERIFY(!m_trainAlarm->isEnabled());
    QCOMPARE(window->textLabel()->text(), QStringLiteral("火车报警：\r\n\r\n首次打开请先刷新一下软件"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Tandor28综合预测软件多功能版【火车报警】"));
    // 350 x 450 is its frame: a 31 px title bar and 3 px borders around the client area, which
    // still holds every control.
    QCOMPARE(window->size(), QSize(344, 416));
    for (const QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(window->rect().contains(control->geometry()), qPrintable(control->objectName()));
    QCOMPARE(window->pos(), QPoint(1, 1));
    QVERIFY(!qobject_cast<QCheckBox*>(findIn(window, "blinkCheck"))->isChecked());
    QVERIFY(!qobject_cast<QCheckBox*>(findIn(window, "stayOnTopCheck"))->isChecked());
}

void TestAlertsTabs::alarmReport_data()
{
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<QStringList>("untick");
    QTest::addColumn<QString>("report");

    // newest sums 15, 17, 20, 9
    QTest::newRow("3: size reaches it") << "3" << QStringList{} << QStringLiteral("【大】 已连开：【3】期 ") + kCrLf2;
    QTest::newRow("4: nothing") << "4" << QStringList{} << QString();
    QTest::newRow("2 without 单双 and 中边")
        << "2" << QStringList{"watchParityCheck", "watchMiddleEdgeCheck"}
        << QStringLiteral("【大】 已连开：【3】期 ") + kCrLf2 + QStringLiteral("【大单】 已连开：【2】期 ") + kCrLf2;
}

void TestAlertsTabs::alarmReport()
{
    QFETCH(QString, threshold);
    QFETCH(QStringList, untick);
    QFETCH(QString, report);

    m_state->history = historyOf({{1, 5, 9}, {2, 6, 9}, {3, 8, 9}, {0, 1, 8}});
    tickTrainAlarm();
    QTest::keyClicks(findIn(m_alarmTab.get(), "thresholdEdit"), threshold);
    for (const QString& name : untick)
        QTest::mouseClick(findIn(m_alarmTab.get(), name.toLatin1().constData()), Qt::LeftButton);
    m_alarmTab->evaluateStreakAlarm();

    QCOMPARE(m_alarmTab->alarmWindow()->textLabel()->text(), QStringLiteral("Tandor火车报警：") + kCrLf2 + report);
    if (report.isEmpty()) {
        QVERIFY(m_played.isEmpty());
        QVERIFY(!m_alarmTab->balloonTip()->window());
    } else {
        QCOMPARE(m_played, QList<SoundClip>{SoundClip::Alarm});
        const QString balloon = QString(report).remove(QStringLiteral("\r\n"));
        QCOMPARE(m_alarmTab->balloonTip()->lastText(), balloon);
        if (QLabel* tip = m_alarmTab->balloonTip()->window()) {
            QCOMPARE(tip->text(), balloon);
            const QSize screen = tip->screen()->geometry().size();
            QCOMPARE(tip->geometry().bottomRight() + QPoint(1, 1), balloonPosition(screen));
        }
    }
}

void TestAlertsTabs::typeTwoKeepsTheLastText()
{
    m_state->history = historyOf({{1, 5, 9}, {2, 6, 9}, {3, 8, 9}, {0, 1, 8}});
    tickTrainAlarm();
    QTest::keyClicks(findIn(m_alarmTab.get(), "thresholdEdit"), QStringLiteral("3"));
    m_alarmTab->evaluateStreakAlarm();
    const QString before = m_alarmTab->alarmWindow()->textLabel()->text();
    QVERIFY(before.contains(QStringLiteral("【大】")));

    QTest::mouseClick(findIn(m_alarmTab.get(), "typeTwoRadio"), Qt::LeftButton);
    QVERIFY(!m_alarmTab->settings().typeOneSelected);
    m_played.clear();
    m_state->history = historyOf({{9, 9, 8}, {9, 9, 7}, {9, 8, 8}, {9, 7, 8}});
    m_alarmTab->evaluateStreakAlarm();
    QCOMPARE(m_alarmTab->alarmWindow()->textLabel()->text(), before);
    QVERIFY(m_played.isEmpty());
}

void TestAlertsTabs::blinkShowsTheCurrentText()
{
    tickTrainAlarm();
    AlarmWindow* window = m_alarmTab->alarmWindow();
    window->setAlarmText(QStringLiteral("first"));
    QTest::mouseClick(findIn(window, "blinkCheck"), Qt::LeftButton);
    QVERIFY(window->isBlinkRunning());

    window->onBlinkTick();
    QVERIFY(window->isBlanked());
    QCOMPARE(window->textLabel()->text(), QString());
    // a refresh during the blank: the label stays blank and then shows the new text
    window->setAlarmText(QStringLiteral("second"));
    QCOMPARE(window->textLabel()->text(), QString());
    window->onBlinkEnd();
    QCOMPARE(window->textLabel()->text(), QStringLiteral("second"));

    // clearing the box in the middle of a blank brings the text back at once
    window->onBlinkTick();
    QTest::mouseClick(findIn(window, "blinkCheck"), Qt::LeftButton);
    QVERIFY(!window->isBlinkRunning());
    QVERIFY(!window->isBlanked());
    QCOMPARE(window->textLabel()->text(), QStringLiteral("second"));
}

void TestAlertsTabs::stayOnTop()
{
    tickTrainAlarm();
    AlarmWindow* window = m_alarmTab->alarmWindow();
    QTest::mouseClick(findIn(window, "stayOnTopCheck"), Qt::LeftButton);
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window->isVisible());
    QTest::mouseClick(findIn(window, "stayOnTopCheck"), Qt::LeftButton);
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window->isVisible());
}

void TestAlertsTabs::closingTheAlarmWindow_data()
{
    QTest::addColumn<bool>("byButton");

    QTest::newRow("关闭 button") << true;
    QTest::newRow("window frame") << false;
}

void TestAlertsTabs::closingTheAlarmWindow()
{
    QFETCH(bool, byButton);

    tickTrainAlarm();
    AlarmWindow* window = m_alarmTab->alarmWindow();
    QTest::mouseClick(findIn(window, "blinkCheck"), Qt::LeftButton);
    if (byButton)
        QTest::mouseClick(findIn(window, "closeButton"), Qt::LeftButton);
    else
        window->close();
    QVERIFY(!m_trainAlarm->isChecked());
    QVERIFY(m_trainAlarm->isEnabled());
    QTRY_VERIFY(!m_alarmTab->alarmWindow());

    // ticking again opens a fresh window
    tickTrainAlarm();
    QVERIFY(m_alarmTab->alarmWindow());
    QCOMPARE(m_alarmTab->alarmWindow()->textLabel()->text(),
             QStringLiteral("火车报警：\r\n\r\n首次打开请先刷新一下软件"));
    QVERIFY(!m_alarmTab->alarmWindow()->isBlinkRunning());
}

void TestAlertsTabs::popupOnNewIssue_data()
{
    QTest::addColumn<bool>("noticeTicked");
    QTest::addColumn<bool>("soundTicked");
    QTest::addColumn<QString>("oldIssue");
    QTest::addColumn<bool>("opens");

    QTest::newRow("start-up issue, ticked") << true << false << "000000" << true;
    QTest::newRow("new issue with sound") << true << true << "999" << true;
    QTest::newRow("same issue") << true << true << "1000" << false;
    QTest::newRow("not ticked") << false << true << "999" << false;
}

void TestAlertsTabs::popupOnNewIssue()
{
    QFETCH(bool, noticeTicked);
    QFETCH(bool, soundTicked);
    QFETCH(QString, oldIssue);
    QFETCH(bool, opens);

    m_state->history = historyOf(
        {{3, 5, 7}, {0, 0, 1}, {9, 9, 9}, {4, 4, 5}, {0, 0, 0}, {1, 0, 8}, {2, 5, 7}, {7, 7, 8}, {0, 1, 5}, {9, 0, 9}});
    if (noticeTicked)
        QTest::mouseClick(m_drawNotice, Qt::LeftButton);
    if (soundTicked)
        QTest::mouseClick(m_drawSound, Qt::LeftButton);
    m_alarmTab->maybeShowDrawPopup(oldIssue);

    DrawPopup* popup = m_alarmTab->drawPopup();
    QCOMPARE(popup != nullptr, opens);
    QCOMPARE(m_played.contains(SoundClip::Popup), opens && soundTicked);
    if (!opens)
        return;
    QVERIFY(popup->isVisible());
    QVERIFY(popup->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // A frameless tool window: its own title label is its caption strip, so 325 x 159 is its frame.
    QCOMPARE(popup->size(), QSize(325, 159));
    QVERIFY(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(popup->windowType(), Qt::Tool);
    QCOMPARE(popup->pos(), drawPopupPosition(popup->screen()->geometry().size()));
    QCOMPARE(popup->titleText(), QStringLiteral("  Tandor28开奖提示:  双击关闭 10s后自动关闭"));
    QCOMPARE(popup->issueText(), QStringLiteral("幸运28 第1000期"));
    QCOMPARE(popup->drawText(), QStringLiteral("3 + 5 + 7 = 15 大单"));
    QCOMPARE(popup->historyText(), QStringLiteral("历史：18 06 22 14 09 00 13 27 01 15 "));
    QCOMPARE(popup->ticks(), 0);
}

void TestAlertsTabs::popupCountsDownAndCloses()
{
    m_state->history = historyOf({{0, 0, 1}});
    QTest::mouseClick(m_drawNotice, Qt::LeftButton);
    m_alarmTab->maybeShowDrawPopup(QStringLiteral("000000"));
    DrawPopup* popup = m_alarmTab->drawPopup();
    QVERIFY(popup);
    QCOMPARE(popup->drawText(), QStringLiteral("0 + 0 + 1 = 01 小单"));
    popup->onTick();
    QCOMPARE(popup->titleText(), QStringLiteral("  Tandor28开奖提示:  双击关闭 9s后自动关闭"));
    for (int t = 2; t <= 10; ++t)
        popup->onTick();
    QCOMPARE(popup->titleText(), QStringLiteral("  Tandor28开奖提示:  双击关闭 0s后自动关闭"));
    QVERIFY(popup->isVisible());
    popup->onTick();
    QVERIFY(!popup->isVisible());
    QTRY_VERIFY(!m_alarmTab->drawPopup());
}

void TestAlertsTabs::popupClosesEarly_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("double-click on the window") << "window";
    QTest::newRow("double-click on the draw label") << "label";
    QTest::newRow("click on the title") << "title";
}

void TestAlertsTabs::popupClosesEarly()
{
    QFETCH(QString, how);

    m_state->history = historyOf({{3, 5, 7}});
    QTest::mouseClick(m_drawNotice, Qt::LeftButton);
    m_alarmTab->maybeShowDrawPopup(QStringLiteral("000000"));
    DrawPopup* popup = m_alarmTab->drawPopup();
    QVERIFY(popup);
    if (how == QLatin1String("window"))
        QTest::mouseDClick(popup, Qt::LeftButton, {}, QPoint(300, 150));
    else if (how == QLatin1String("label"))
        QTest::mouseDClick(findIn(popup, "popupDrawLabel"), Qt::LeftButton);
    else
        QTest::mouseClick(findIn(popup, "popupTitleLabel"), Qt::LeftButton);
    QTRY_VERIFY(!m_alarmTab->drawPopup());
}

void TestAlertsTabs::secondNewDrawReplacesThePopup()
{
    QTest::mouseClick(m_drawNotice, Qt::LeftButton);
    m_state->history = historyOf({{3, 5, 7}});
    m_alarmTab->maybeShowDrawPopup(QStringLiteral("999"));
    QPointer<DrawPopup> first = m_alarmTab->drawPopup();
    QVERIFY(first);
    first->onTick();
    first->onTick();

    m_state->history = historyOf({{0, 0, 1}, {3, 5, 7}});
    m_state->setShownIssue(QStringLiteral("1000"));
    m_alarmTab->maybeShowDrawPopup(QStringLiteral("999"));
    QTRY_VERIFY(!first);
    DrawPopup* second = m_alarmTab->drawPopup();
    QVERIFY(second);
    QVERIFY(second->isVisible());
    QCOMPARE(second->ticks(), 0);
    QCOMPARE(second->drawText(), QStringLiteral("0 + 0 + 1 = 01 小单"));
}

void TestAlertsTabs::newDrawSound_data()
{
    QTest::addColumn<bool>("soundTicked");

    QTest::newRow("提示音 ticked") << true;
    QTest::newRow("提示音 cleared") << false;
}

void TestAlertsTabs::newDrawSound()
{
    QFETCH(bool, soundTicked);

    if (soundTicked)
        QTest::mouseClick(m_drawSound, Qt::LeftButton);
    m_state->history = historyOf({{3, 5, 7}});
    // no new issue: no popup, but the sound at the end of the refresh still plays
    m_alarmTab->maybeShowDrawPopup(QStringLiteral("1000"));
    m_alarmTab->playNewDrawSound();
    QVERIFY(!m_alarmTab->drawPopup());
    QCOMPARE(m_played, soundTicked ? QList<SoundClip>{SoundClip::NewDraw} : QList<SoundClip>{});
}

QTEST_MAIN(TestAlertsTabs)
#include "tst_alerts_tabs.moc"
