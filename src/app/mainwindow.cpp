#include "app/mainwindow.h"

#include "alerts/drawnotice.h"
#include "app/alarmtab.h"
#include "app/applog.h"
#include "app/customtab.h"
#include "app/framesize.h"
#include "app/freeplanstab.h"
#include "app/gridlooks.h"
#include "app/memberplanstab.h"
#include "app/periodsbox.h"
#include "app/tabpageholder.h"
#include "app/trendtab.h"
#include "feed/countdown.h"
#include "feed/feedfetch.h"
#include "feed/http.h"
#include "feed/issueplausibility.h"
#include "feed/sources.h"
#include "model/textnum.h"
#include "paths/filelocations.h"
#include "paths/filewrite.h"
#include "paths/folderlock.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace tandor28 {

namespace {

constexpr auto kProductTitle = "Tandor28综合预测软件多功能版";
constexpr auto kSiteUrl = "https://www.tandor28.example/";

MainWindowServices withDefaults(MainWindowServices services, QWidget* owner)
{
    if (!services.clock)
        services.clock = [] { return QDateTime::currentDateTime(); };
    if (!services.inform) {
        services.inform = [owner](const QString& caption, const QString& text) {
            QMessageBox::information(owner, caption, text);
        };
    }
    if (!services.ask) {
        services.ask = [owner](const QString& caption, const QString& text) {
            // A question about an update, not a warning: the information icon.
            QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
            return box.exec() == QMessageBox::Yes;
        };
    }
    if (!services.openUrl)
        services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (services.iniPath.isEmpty())
        services.iniPath = endpointsIniPath();
    if (services.archivePath.isEmpty())
        services.archivePath = defaultArchivePath();
    if (services.dataFolder.isEmpty())
        services.dataFolder = fileLocations().dataDir;
    if (!services.saveFileName) {
        services.saveFileName = [owner](const QString& caption, const QString& suggested) {
            return QFileDialog::getSaveFileName(owner, caption, suggested, QStringLiteral("CSV (*.csv)"));
        };
    }
    return services;
}

QPixmap bannerPicture(QSize size)
{
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0.0, QColor(18, 52, 120));
    sky.setColorAt(1.0, QColor(70, 140, 220));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(Qt::NoPen);
    const QList<QColor> balls{QColor(230, 60, 60), QColor(250, 190, 40), QColor(60, 190, 90)};
    for (int i = 0; i < 3; ++i) {
        const QRectF ball(size.width() - 230 + i * 70, 30, 58, 58);
        painter.setBrush(balls.at(i));
        painter.drawEllipse(ball);
        painter.setPen(Qt::white);
        QFont digits = painter.font();
        digits.setPixelSize(28);
        digits.setBold(true);
        painter.setFont(digits);
        painter.drawText(ball, Qt::AlignCenter, QString::number(2 + i * 3));
        painter.setPen(Qt::NoPen);
    }
    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPixelSize(34);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(24, 14, 400, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tandor28"));
    title.setPixelSize(18);
    title.setBold(false);
    painter.setFont(title);
    painter.drawText(QRect(26, 66, 400, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("综合预测软件多功能版"));
    return picture;
}

} // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_services(withDefaults(std::move(services), this))
{
    m_ui->setupUi(this);
    setFixedSize(clientSizeForFrame(QSize(1129, 802)));
    m_ui->bannerLabel->setPixmap(bannerPicture(m_ui->bannerLabel->size()));
    for (QLabel* label : {m_ui->digitLabel1, m_ui->digitLabel2, m_ui->digitLabel3, m_ui->sumLabel}) {
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QStringLiteral("border: 1px solid rgb(157, 179, 214); background: white;"));
    }
    m_ui->countdownLabel->setAlignment(Qt::AlignCenter);
    // The age of the newest draw shows only once the next one is overdue: a warning, in red.
    m_ui->drawAgeLabel->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    // A label rather than a status message: hovering over menus and tips never wipes it.
    m_statusLabel = new QLabel(statusBar());
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusBar()->addWidget(m_statusLabel, 1);
    // The archive export sits in the status bar, so the described layout above it stays as it is.
    // A flat button no taller than the status text, so the status bar keeps its height.
    auto* exportButton = new QPushButton(QStringLiteral("导出开奖CSV"), statusBar());
    exportButton->setObjectName(QStringLiteral("exportArchiveButton"));
    exportButton->setFlat(true);
    exportButton->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0px 4px; color: rgb(0, 0, 192); }"));
    exportButton->setFixedHeight(m_statusLabel->sizeHint().height());
    statusBar()->addPermanentWidget(exportButton);
    connect(exportButton, &QPushButton::clicked, this, &MainWindow::exportArchive);
    m_archivePool.setMaxThreadCount(1);
    connect(&m_archiveWatcher, &QFutureWatcher<ArchiveAdd>::finished, this, &MainWindow::onArchiveWritten);

    m_freePlansTab = new FreePlansTab(m_state);
    m_memberPlansTab = new MemberPlansTab(m_state);
    m_trendTab = new TrendTab(m_state);
    m_alarmTab = new AlarmTab(m_state);
    m_customTab = new CustomTab(m_state);

    auto* tabs = m_ui->tabControl;
    tabs->addTab(new TabPageHolder(m_freePlansTab, tabs), QStringLiteral("预测显示"));
    tabs->addTab(new TabPageHolder(m_memberPlansTab, tabs), QStringLiteral("会员计划"));
    tabs->addTab(new TabPageHolder(m_trendTab, tabs), QStringLiteral("走势统计"));
    tabs->addTab(new TabPageHolder(m_alarmTab, tabs), QStringLiteral("火车报警"));
    tabs->addTab(new TabPageHolder(m_customTab, tabs), QStringLiteral("自定义算法"));
    m_analysisTab = new AnalysisTab(m_state, m_services.archive);
    m_analysisTab->setAlgorithmReader([this] { return m_customTab->algorithms().items; });
    tabs->addTab(m_analysisTab, QStringLiteral("长期分析"));
    connect(this, &MainWindow::refreshFinished, m_analysisTab, &AnalysisTab::onRefreshFinished);
    tabs->setCurrentIndex(0);

    setUpGrid(m_ui->drawTable, new GridModel(kPeriodCount + 1, kDrawTableColumns, this));

    connect(&m_state, &AppState::historyChanged, this, &MainWindow::writeDrawRows);
    connect(&m_state, &AppState::countdownChanged, this, &MainWindow::showCountdown);

    m_refreshTimer.setInterval(1000);
    connect(&m_refreshTimer, &QTimer::timeout, this, &MainWindow::onTimerTick);
    connect(m_ui->refreshButton, &QPushButton::clicked, this, &MainWindow::refreshAll);
    connect(m_ui->periodsBox, &PeriodsBox::spinRequested, this, &MainWindow::onPeriodsSpin);
    // The inputs of the main window that the tabs use are facts of the state.
    connect(m_ui->periodsBox, &PeriodsBox::boxTextChanged, this,
            [this](const QString& text) { m_state.setBoxPeriods(leadingInt(text)); });
    connect(m_ui->drawNoticeCheck, &QCheckBox::toggled, this, [this](bool on) { m_state.setDrawNotice(on); });
    connect(m_ui->drawSoundCheck, &QCheckBox::toggled, this, [this](bool on) { m_state.setDrawSound(on); });
    m_state.setBoxPeriods(leadingInt(m_ui->periodsBox->boxText()));
    m_state.setDrawNotice(m_ui->drawNoticeCheck->isChecked());
    m_state.setDrawSound(m_ui->drawSoundCheck->isChecked());
    connect(m_ui->lotteryCombo, &QComboBox::currentIndexChanged, this, &MainWindow::onLotteryChanged);
    connect(m_ui->trainAlarmCheck, &QCheckBox::clicked, m_alarmTab, &AlarmTab::onTrainAlarmClicked);
    connect(m_alarmTab, &AlarmTab::alarmWindowOpened, this, [this] {
        m_ui->trainAlarmCheck->setChecked(true);
        m_ui->trainAlarmCheck->setEnabled(false);
    });
    connect(m_alarmTab, &AlarmTab::alarmWindowClosed, this, [this] {
        m_ui->trainAlarmCheck->setChecked(false);
        m_ui->trainAlarmCheck->setEnabled(true);
    });
    connect(m_ui->contactLink, &LinkLabel::clicked, this, &MainWindow::showContact);
    connect(m_ui->introductionLink, &LinkLabel::clicked, this, &MainWindow::showIntroduction);
    connect(m_ui->siteLink, &LinkLabel::clicked, this, &MainWindow::openSite);
}

MainWindow::~MainWindow()
{
    // The work on the archive's thread stops at its next step, so the window goes at once.
    m_closing->store(true);
    m_archivePool.waitForDone();
}

StartOutcome MainWindow::start()
{
    // One window per data folder: a second one would write the same saved algorithms over the
    // first one's saves.
    // A folder that cannot hold the lock file at all (read-only) still runs.
    FolderLock folder = lockDataFolder(m_services.dataFolder);
    if (folder.heldByAnother) {
        m_services.inform(QStringLiteral("Tandor28"), folder.problem);
        return StartOutcome::AlreadyRunning;
    }
    m_folderLock = std::move(folder.lock);
    if (const StartOutcome outcome = applyServerNotice(); outcome != StartOutcome::Running)
        return outcome;
    styleTables();
    m_memberPlansTab->fillPlanButtonList(m_freePlansTab->planButtons(), m_freePlansTab->betTypeButtons());
    m_freePlansTab->setInitialSelections();
    m_memberPlansTab->setInitialSelections();
    m_freePlansTab->loadPlanRules();
    m_memberPlansTab->loadPlanRules();
    styleTabTables();
    m_customTab->loadAlgorithms();
    openArchive();
    selectLotteryByHour();
    refreshAll();
    backfillArchive();
    return StartOutcome::Running;
}

StartOutcome MainWindow::applyServerNotice()
{
    m_endpoints = loadEndpoints(m_services.iniPath);
    m_schedule = loadCountdownSchedule(m_services.iniPath);
    if (m_endpoints.notice.isEmpty()) {
        // No notice server is configured: nothing is asked, this version is the one shown, and the
        // Lucky 28 sources come from [sources] alone.
        m_notice = ServerNotice{QString::fromLatin1(kCurrentVersion), {}, {}, {}};
        m_state.latestVersion = m_notice.latestVersion;
        m_statusLabel->setText(noNoticeServerStatusText());
        return StartOutcome::Running;
    }
    // The window is not shown yet, so waiting for the notice here blocks nothing the user sees; the
    // fetch's timeout bounds the whole exchange, so a server that drips cannot hold it up for long.
    const QByteArray body = fetchText(m_endpoints.notice, m_services.fetchTimeoutSeconds);
    const ServerNotice notice = parseServerNotice(body);
    switch (noticeOutcome(body, notice)) {
    case NoticeOutcome::Unreachable:
        m_services.inform(noticeCaption(), unreachableText());
        return StartOutcome::ServerUnreachable;
    case NoticeOutcome::UpdateNeeded:
        if (m_services.ask(noticeCaption(), updateQuestionText(notice.latestVersion)))
            m_services.openUrl(QUrl(downloadSiteUrl()));
        return StartOutcome::OtherVersion;
    case NoticeOutcome::GoOn:
        break;
    }
    m_notice = notice;
    m_state.latestVersion = notice.latestVersion;
    m_state.updateText = notice.updateText;
    m_state.luckyFeedEndpoint = notice.luckyFeedEndpoint;
    m_statusLabel->setText(connectedStatusText(notice.latestVersion));
    m_ui->announcementLabel->setText(notice.announcement);
    m_ui->noticeBox->setPlainText(notice.updateText);
    return StartOutcome::Running;
}

void MainWindow::styleTables()
{
    styleDrawTable(m_ui->drawTable);
}

void MainWindow::styleTabTables()
{
    m_freePlansTab->styleTable();
    m_memberPlansTab->styleTable();
    m_trendTab->styleTable();
    m_customTab->styleTable();
}

void MainWindow::selectLotteryByHour()
{
    // A Lucky 28 without any source would only say so; the window starts on Canada 28 then.
    if (m_services.clock().time().hour() < 9 || sourcesOf(LotteryKind::Lucky28).empty()) {
        m_settingLottery = true;
        m_ui->lotteryCombo->setCurrentIndex(static_cast<int>(LotteryKind::Canada28Night));
        m_settingLottery = false;
    }
    m_state.setLottery(static_cast<LotteryKind>(m_ui->lotteryCombo->currentIndex()));
}

void MainWindow::onLotteryChanged(int index)
{
    Q_UNUSED(index);
    // The state keeps the lottery of the history it holds until the refresh for the new one starts.
    if (!m_settingLottery)
        refreshAll();
}

void MainWindow::refreshAll()
{
    // The fetch runs in the background; a refresh asked for meanwhile runs once after this one.
    if (m_refreshing) {
        m_refreshPending = true;
        return;
    }
    beginRefresh();
}

void MainWindow::beginRefresh()
{
    m_refreshing = true;
    if (m_ui->periodsBox->boxText() != QLatin1String("100")) {
        m_services.inform(noticeCaption(), QStringLiteral("当前版本不支持使用更多期数，等待更新！！"));
        m_ui->periodsBox->setBoxText(QStringLiteral("100"));
    }
    m_refreshTimer.stop();

    m_state.periodCount = m_ui->periodsBox->boxText().toInt();
    const int periods = m_state.periodCount;
    setGridRowCount(m_ui->drawTable, periods + 1);
    setGridRowCount(m_freePlansTab->table(), periods + 2);
    setGridRowCount(m_trendTab->table(), periods + 1);
    setGridRowCount(m_memberPlansTab->table(), periods + 2);

    m_refreshLottery = static_cast<LotteryKind>(m_ui->lotteryCombo->currentIndex());
    m_state.setLottery(m_refreshLottery);
    disconnect(&m_fetchWatcher, nullptr, this, nullptr);
    connect(&m_fetchWatcher, &QFutureWatcher<FeedFetchResult>::finished, this, &MainWindow::onFetchFinished);
    // The body is parsed on the worker too, so even a huge or hostile body never holds up the window.
    const QString url = feedUrl(m_refreshLottery, m_endpoints, m_notice);
    const std::vector<DrawSource> sources = sourcesOf(m_refreshLottery);
    m_noSource = sources.empty();
    if (m_noSource) {
        // Nothing to ask: the refresh runs on with the history it has, and the status bar says why.
        m_fetchWatcher.setFuture(
            QtFuture::makeReadyFuture(FeedFetchResult{std::nullopt, FetchFailure::None, 0, {}, {}}));
        return;
    }
    if (sources.size() == 1 && sources.front() == DrawSource{SourceFormat::Feed, url, KenoScheme::Interleave}) {
        m_fetchWatcher.setFuture(
            fetchDrawFeedAsync(m_refreshLottery, url, m_state.periodCount, m_services.fetchTimeoutSeconds));
        return;
    }
    // A configured list: its sources are tried in order, every refresh from the first one again.
    const LotteryKind kind = m_refreshLottery;
    const int periodCount = m_state.periodCount;
    m_fetchWatcher.setFuture(QtConcurrent::run(fetchThreadPool(), [kind, sources, periodCount] {
        SourceFetch fetch = fetchFromSources(kind, sources, 0, periodCount);
        FeedFetchResult result;
        result.failure = fetch.history       ? FetchFailure::None
                         : fetch.askedToWait ? FetchFailure::AskedToWait
                                             : FetchFailure::TooFewRecords;
        result.status = fetch.history ? 200 : 0;
        result.history = std::move(fetch.history);
        result.draws = std::move(fetch.draws);
        result.source =
            fetch.history || fetch.failures.isEmpty() ? fetch.answeredBy : fetch.failures.join(QStringLiteral("; "));
        if (!result.history)
            result.source = fetch.failures.join(QStringLiteral("; "));
        return result;
    }));
}

void MainWindow::onFetchFinished()
{
    disconnect(&m_fetchWatcher, nullptr, this, nullptr);
    // A failed fetch or fewer than five records leave the previous history and tables as they are.
    FeedFetchResult fetched = m_fetchWatcher.future().isValid() && m_fetchWatcher.future().resultCount() > 0
                                  ? m_fetchWatcher.result()
                                  : FeedFetchResult{std::nullopt, FetchFailure::Network, 0, {}, {}};
    // Issues that cannot be real are never shown or kept, and never become the measure of later fetches.
    std::optional<IssueAnchor>& lastPlausible = m_lastPlausible[static_cast<std::size_t>(m_refreshLottery)];
    const QStringList refused =
        refuseImplausibleIssues(m_refreshLottery, fetched, m_services.clock(), lastPlausible, m_state.periodCount);
    // A source whose newest draw is older than the last plausible one went back in time: it counts as failed.
    m_sourceNote = fetched.history && !fetched.source.isEmpty() ? QStringLiteral("来源：") + fetched.source : QString();
    if (fetched.history && lastPlausible) {
        bool fetchedOk = false;
        const qint64 newest = fetched.history->at(1).issue.toLongLong(&fetchedOk);
        if (fetchedOk && newest < lastPlausible->issue) {
            fetched.history.reset();
            fetched.failure = FetchFailure::TooFewRecords;
            m_sourceNote = QStringLiteral("来源回到了过去（第%1期）").arg(newest);
        }
    }
    if (!fetched.history && !fetched.source.isEmpty() && m_sourceNote.isEmpty())
        m_sourceNote = fetched.source;
    if (!refused.isEmpty())
        m_sourceNote += (m_sourceNote.isEmpty() ? QString() : QStringLiteral(" | ")) + implausibleIssuesText(refused);
    if (fetched.history) {
        // A feed without dates still gives its newest issue to measure going back in time against.
        bool numeric = false;
        const qint64 shownIssue = fetched.history->at(1).issue.toLongLong(&numeric);
        if (const std::optional<IssueAnchor> newest = newestAnchor(fetched.draws))
            lastPlausible = newest;
        else if (numeric)
            lastPlausible = IssueAnchor{shownIssue, {}};
    }
    if (fetched.history && !fetched.draws.empty())
        keepInArchive(m_refreshLottery, std::move(fetched.draws),
                      fetched.source.isEmpty()
                          ? QStringLiteral("feed ") + feedUrl(m_refreshLottery, m_endpoints, m_notice)
                          : fetched.source);
    if (fetched.history)
        m_shownLottery = m_refreshLottery;
    // The first history of a run is no new draw: the statistics label waits for its first pass.
    m_newDraw =
        fetched.history && !m_state.history.isEmpty() && fetched.history->at(1).issue != m_state.history.at(1).issue;
    // Every tab writes the draw rows of its own table as the new history is announced.
    if (fetched.history)
        m_state.setHistory(std::move(*fetched.history));
    m_lastFetch = {std::nullopt, fetched.failure, fetched.status, {}, {}};
    writeFetchStatus();
    finishRefresh();
}

void MainWindow::finishRefresh()
{
    const QDateTime now = m_services.clock();
    m_freePlansTab->runFreeGenerator();
    int countdown =
        computeCountdown(m_refreshLottery, newestDrawTime(m_refreshLottery, m_state.history), now, m_schedule);
    m_memberPlansTab->runMemberGenerator();
    // A pass takes well under a millisecond, so a new draw updates the marks and the statistics
    // label with the table beside them.
    if (m_newDraw)
        m_memberPlansTab->markAutomatically();
    if (m_ui->trainAlarmCheck->isChecked())
        m_alarmTab->evaluateStreakAlarm();
    m_customTab->refreshCustom();

    const QString oldIssue = m_state.shownIssue;
    writeHeadline();
    m_alarmTab->maybeShowDrawPopup(oldIssue);
    m_trendTab->updateCategoryList();

    // A refresh started by the timer ends the tick that started it: a count still far below zero
    // jumps up, so a late draw is retried some minutes later.
    if (m_refreshFromTick)
        countdown = lateJump(countdown);
    m_refreshFromTick = false;
    m_state.setCountdown(countdown);
    m_refreshTimer.start();
    writeCaption();
    m_alarmTab->playNewDrawSound();

    m_refreshing = false;
    ++m_refreshCount;
    // What the window shows after each refresh, for --verbose runs and the installed-program check.
    int shown = 0;
    for (int position = 1; position <= m_state.history.size(); ++position)
        shown += m_state.history.at(position).issue.isEmpty() ? 0 : 1;
    qCInfo(lcApp).noquote() << "refresh" << m_refreshCount << sourcesKey(m_refreshLottery) << "shows" << shown
                            << "draws, newest" << m_state.history.at(1).issue << "| status:" << m_statusLabel->text();
    Q_EMIT refreshFinished();
    if (m_refreshPending) {
        m_refreshPending = false;
        QMetaObject::invokeMethod(this, &MainWindow::refreshAll, Qt::QueuedConnection);
    }
}

void MainWindow::writeDrawRows()
{
    const DrawHistory& history = m_state.history;
    for (int position = 1; position <= history.size(); ++position) {
        const Draw& draw = history.at(position);
        setCellText(m_ui->drawTable, position, 0, draw.issue);
        setCellText(m_ui->drawTable, position, 1, draw.resultText);
    }
}

void MainWindow::writeHeadline()
{
    const Draw& newest = m_state.history.at(1);
    m_state.setShownIssue(newest.issue);
    m_ui->issueLabel->setText(m_state.headlineIssueText());
    m_ui->digitLabel1->setText(QString::number(newest.d1));
    m_ui->digitLabel2->setText(QString::number(newest.d2));
    m_ui->digitLabel3->setText(QString::number(newest.d3));
    m_ui->sumLabel->setText(QString::number(newest.sum));
}

void MainWindow::writeFetchStatus()
{
    // A failed fetch must not look like fresh data: the status bar says so, and why.
    QString text =
        m_noSource ? noSourceText(m_refreshLottery, settingsToEdit(m_services.iniPath))
        : m_lastFetch.failure != FetchFailure::None
            ? fetchFailedStatusText(fetchFailureText(m_lastFetch.failure, m_lastFetch.status), m_state.latestVersion)
        : m_endpoints.notice.isEmpty() ? noNoticeServerStatusText()
                                       : connectedStatusText(m_state.latestVersion);
    const QString cookieProblem = cookieStoreProblem();
    const QString cookieNote =
        cookieProblem.isEmpty() ? QString() : QStringLiteral("Cookie 未能保存：") + cookieProblem;
    for (const QString& note : {m_noSource ? QString() : m_sourceNote, m_archiveNote, cookieNote}) {
        if (!note.isEmpty())
            text += QStringLiteral(" | ") + note;
    }
    m_statusLabel->setText(text);
}

void MainWindow::showCountdown()
{
    m_ui->countdownLabel->setText(countdownLabelText(m_state.countdown));
    // Once the next draw is overdue, the headline says how old the newest one is.
    const int age = m_state.isOverdue()
                        ? secondsSinceDraw(newestDrawTime(m_refreshLottery, m_state.history), m_services.clock())
                        : -1;
    m_ui->drawAgeLabel->setText(age >= 0 ? drawAgeText(age) : QString());
}

void MainWindow::writeCaption()
{
    const Draw& newest = m_state.history.at(1);
    setWindowTitle(QStringLiteral("[") + newest.time + QLatin1Char(' ') + newest.resultText + QLatin1Char(' ') +
                   newest.issue + QStringLiteral("]") + QString::fromUtf8(kProductTitle) + contactText() +
                   QStringLiteral("    临时备用版本"));
}

void MainWindow::onTimerTick()
{
    const TickOutcome tick = timerTick(m_state.countdown);
    if (tick.refreshDue) {
        // The refresh ends this tick: it recomputes the countdown, applies the late jump and
        // announces it. Due while a refresh runs, it is folded into the one after it. Until then
        // the label keeps what it shows.
        m_state.countdown = tick.countdown;
        if (!m_refreshing)
            m_refreshFromTick = true;
        refreshAll();
        return;
    }
    m_state.setCountdown(tick.countdown);
}

void MainWindow::onPeriodsSpin(int step)
{
    // The box's integer value is its leading integer, as everywhere a number is read from a box:
    // "100abc" steps to 101, a text without digits to 1 or -1.
    m_ui->periodsBox->setBoxText(QString::number(qint64{leadingInt(m_ui->periodsBox->boxText())} + step));
}

void MainWindow::showContact()
{
    m_services.inform(QStringLiteral("联系我们"),
                      QStringLiteral("Tandor28综合预测软件\r\n\r\n联系方式：QQ 2828028\r\n\r\n"
                                     "本软件只做数据统计与学习交流，不构成任何投注建议。"));
}

void MainWindow::showIntroduction()
{
    m_services.inform(QStringLiteral("软件介绍"),
                      QStringLiteral("Tandor28综合预测软件多功能版：跟踪开奖、倒计时、计划预测、自定义算法、"
                                     "走势统计与火车报警。\r\n\r\n预测结果仅供参考，请理性对待。"));
}

void MainWindow::openSite()
{
    m_services.openUrl(QUrl(QString::fromLatin1(kSiteUrl)));
}

void MainWindow::openArchive()
{
    ArchiveOpening opening = DrawArchive::open(m_services.archivePath);
    m_archive = std::move(opening.archive);
    if (!opening.problem.isEmpty())
        m_archiveNote = QStringLiteral("开奖存档：") + opening.problem;
}

void MainWindow::keepInArchive(LotteryKind lottery, std::vector<DatedDraw> draws, const QString& source)
{
    if (!m_archive || m_archive->isReadOnly())
        return;
    // Written on the archive's own thread after the refresh, so the window never waits for the disk.
    const std::shared_ptr<DrawArchive> archive = m_archive;
    const QFuture<ArchiveAdd> write =
        QtConcurrent::run(&m_archivePool, [archive, lottery, draws = std::move(draws), source] {
            return archive->addDraws(lottery, draws, source);
        });
    if (!m_archiveWatcher.isRunning())
        m_archiveWatcher.setFuture(write);
}

void MainWindow::onArchiveWritten()
{
    if (m_archiveWatcher.future().resultCount() == 0)
        return;
    const ArchiveAdd add = m_archiveWatcher.result();
    if (!add.ok)
        m_archiveNote = QStringLiteral("开奖存档：") + add.error;
    else if (add.newConflicts > 0)
        m_archiveNote = QStringLiteral("开奖存档：收到%1条与已存开奖不同的记录（冲突）").arg(add.newConflicts);
    else if (m_archiveNote.contains(QLatin1String("locked")))
        m_archiveNote.clear();
    writeFetchStatus();
}

void MainWindow::waitForArchive()
{
    m_archivePool.waitForDone();
    QCoreApplication::processEvents();
}

std::vector<DrawSource> MainWindow::sourcesOf(LotteryKind kind) const
{
    return loadSources(m_services.iniPath, kind, feedUrl(kind, m_endpoints, m_notice)).sources;
}

void MainWindow::backfillArchive()
{
    if (!m_archive || m_archive->isReadOnly())
        return;
    // Gaps of the last 24 hours only, from the first source of each lottery that pages back in time.
    for (const LotteryKind kind : {LotteryKind::Lucky28, LotteryKind::Canada28Night}) {
        const std::optional<DrawSource> source = pagingSource(sourcesOf(kind));
        const std::optional<qint64> newest = m_archive->newestIssue(kind);
        if (!source || !newest)
            continue;
        const qint64 perDay = kind == LotteryKind::Lucky28 ? 288 : 412;
        const std::shared_ptr<DrawArchive> archive = m_archive;
        // The window's closing flag ends the page being fetched and stops before the next one.
        (void)QtConcurrent::run(&m_archivePool,
                                [archive, kind, source = *source, from = *newest - perDay, closing = m_closing] {
                                    return fillGaps(*archive, kind, from, kenoJsonPager(source, {}, closing),
                                                    describeSource(source), 10, closing.get())
                                        .added;
                                });
    }
}

void MainWindow::exportArchive()
{
    if (!m_archive) {
        m_services.inform(noticeCaption(), QStringLiteral("开奖存档不可用：") + m_archiveNote);
        return;
    }
    const LotteryKind kind = static_cast<LotteryKind>(m_ui->lotteryCombo->currentIndex());
    const QString path =
        m_services.saveFileName(QStringLiteral("导出开奖存档"), sourcesKey(kind) + QStringLiteral(".csv"));
    if (path.isEmpty())
        return;
    // A full disk or a size limit leaves an older export where it was, never a truncated one.
    QString why;
    const std::shared_ptr<DrawArchive> archive = m_archive;
    const bool written = replaceFile(
        path, [&](QIODevice& out, QString* failure) { return archive->exportCsv(kind, out, failure); }, &why);
    if (!written)
        m_services.inform(noticeCaption(), QStringLiteral("导出失败：") + why);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A backfill page under way ends now; the write running on the archive's thread is one short
    // transaction, so the wait is brief.
    m_closing->store(true);
    m_archivePool.waitForDone();
    QMainWindow::closeEvent(event);
    // The program ends with the main window, whatever other windows are still open.
    QCoreApplication::exit(0);
}

} // namespace tandor28
