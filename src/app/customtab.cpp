#include "app/customtab.h"

#include "ui_customtab.h"

#include "app/gridlooks.h"
#include "app/tablewriter.h"

#include "custom/customtable.h"
#include "model/textnum.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

namespace tandor28 {

namespace {

const QString kStartSearch = QStringLiteral("开始搜索");
const QString kStopSearch = QStringLiteral("停止搜索");
const QString kConfirmDelete = QStringLiteral("确定删除吗？");

} // namespace

CustomTab::CustomTab(const AppState& state, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CustomTab>()), m_state(state), m_random(clockSeed())
{
    m_ui->setupUi(this);
    setUpGrid(m_ui->customPredictionTable, new GridModel(kPeriodCount + 2, kPredictionTableColumns, this));
    // The window button's caption is white: it needs a dark face to be read.
    setButtonBackground(m_ui->customWindowButton, kDarkButton);
    setButtonCaptionColour(m_ui->customWindowButton, kWhite);
    m_store.path = defaultStorePath();
    m_dialogs.inform = [this](const QString& text) {
        QMessageBox::information(this, QStringLiteral("Tandor28"), text);
    };
    m_dialogs.confirm = [this](const QString& text) {
        return QMessageBox::question(this, QStringLiteral("Tandor28"), text, QMessageBox::Ok | QMessageBox::Cancel) ==
               QMessageBox::Ok;
    };
    m_dialogs.warn = [this](const QString& text) { QMessageBox::warning(this, QStringLiteral("Tandor28"), text); };
    for (int code = 1; code <= kCustomBetTypeCount; ++code) {
        auto* button = findChild<QPushButton*>(QStringLiteral("customBetButton%1").arg(code));
        m_betTypeButtons.append(button);
        connect(button, &QPushButton::clicked, this, [this, code] { selectCustomBetType(code); });
    }
    for (int i = 0; i < m_betTypeButtons.size(); ++i)
        setButtonBackground(m_betTypeButtons.at(i), i + 1 == m_code ? kSelectedButton : kUnselectedButton);
    connect(m_ui->randomButton, &QPushButton::clicked, this, &CustomTab::generateRandomAlgorithm);
    connect(m_ui->customWindowCombo, &QComboBox::activated, this, &CustomTab::onStatsWindowChanged);
    connect(m_ui->customWindowButton, &QPushButton::clicked, this, &CustomTab::showStatsWindowChoices);
    connect(m_ui->refreshPredictionButton, &QPushButton::clicked, this, &CustomTab::refreshPrediction);
    connect(m_ui->helpButton, &QPushButton::clicked, this, &CustomTab::showHelp);
    connect(m_ui->searchButton, &QPushButton::clicked, this, &CustomTab::startSearch);
    connect(m_ui->saveAlgorithmButton, &QPushButton::clicked, this, &CustomTab::saveAlgorithm);
    connect(m_ui->deleteAlgorithmButton, &QPushButton::clicked, this, &CustomTab::deleteSelectedAlgorithm);
    m_ui->savedAlgorithmList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui->savedAlgorithmList, &QTreeWidget::customContextMenuRequested, this,
            &CustomTab::onSavedListMenuRequested);
    connect(m_ui->savedAlgorithmList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { onSavedAlgorithmChosen(item); });
    connect(m_ui->savedAlgorithmList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { onSavedListCurrentChanged(current); });

    m_savedListMenu = new QMenu(QStringLiteral("&算法"), this);
    m_savedListMenu->setObjectName(QStringLiteral("savedListMenu"));
    QAction* deleteOne = m_savedListMenu->addAction(QStringLiteral("删除该算法"));
    deleteOne->setObjectName(QStringLiteral("deleteChosenAlgorithmAction"));
    connect(deleteOne, &QAction::triggered, this, &CustomTab::deleteChosenAlgorithm);
    QAction* clearAll = m_savedListMenu->addAction(QStringLiteral("清空算法列表"));
    clearAll->setObjectName(QStringLiteral("clearAlgorithmListAction"));
    connect(clearAll, &QAction::triggered, this, &CustomTab::clearAlgorithmList);

    // A formula outside the language shows red, with its reason as the box's tooltip, as it is typed.
    for (QLineEdit* box : {m_ui->formulaEdit1, m_ui->formulaEdit2, m_ui->formulaEdit3})
        connect(box, &QLineEdit::textChanged, this, [this, box] { showFormulaRefusal(box); });

    connect(&m_state, &AppState::historyChanged, this, &CustomTab::writeDrawRows);
    connect(&m_state, &AppState::drawOverdue, this, &CustomTab::stopSearchForOverdueDraw);
}

void CustomTab::styleTable()
{
    stylePredictionTable(m_ui->customPredictionTable);
}

void CustomTab::writeDrawRows()
{
    writeDrawColumns(m_ui->customPredictionTable, m_state.history);
}

CustomTab::~CustomTab() = default;

QTableView* CustomTab::table() const
{
    return m_ui->customPredictionTable;
}

QTreeWidget* CustomTab::savedList() const
{
    return m_ui->savedAlgorithmList;
}

void CustomTab::setStorePath(const QString& path)
{
    m_store.path = path;
}

void CustomTab::setDialogs(CustomTabDialogs dialogs)
{
    if (dialogs.inform)
        m_dialogs.inform = std::move(dialogs.inform);
    if (dialogs.confirm)
        m_dialogs.confirm = std::move(dialogs.confirm);
    if (dialogs.warn)
        m_dialogs.warn = std::move(dialogs.warn);
}

FormulaTriple CustomTab::formulaBoxes() const
{
    return {m_ui->formulaEdit1->text(), m_ui->formulaEdit2->text(), m_ui->formulaEdit3->text()};
}

void CustomTab::showFormulaRefusal(QLineEdit* box)
{
    const std::shared_ptr<const CompiledFormula> compiled = m_evaluator.compiled(box->text());
    const bool refused = compiled->mode == CompiledFormula::Mode::Refused;
    box->setToolTip(refused ? compiled->refusal : QString());
    box->setStyleSheet(refused ? QStringLiteral("QLineEdit { color: rgb(255, 0, 0); }") : QString());
}

void CustomTab::setFormulaBoxes(const FormulaTriple& formulas)
{
    m_ui->formulaEdit1->setText(formulas[0]);
    m_ui->formulaEdit2->setText(formulas[1]);
    m_ui->formulaEdit3->setText(formulas[2]);
}

int CustomTab::periodCount() const
{
    return std::clamp(m_state.boxPeriods, 0, judgedRowCapacity(m_ui->customPredictionTable));
}

int CustomTab::statsWindow() const
{
    return leadingInt(m_ui->customWindowCombo->currentText());
}

void CustomTab::loadAlgorithms()
{
    m_list.items = ::tandor28::loadAlgorithms(m_store);
    showAlgorithmList();
    m_code = 1;
    for (int i = 0; i < m_betTypeButtons.size(); ++i)
        setButtonBackground(m_betTypeButtons.at(i), i == 0 ? kSelectedButton : kUnselectedButton);
    refreshAlgorithmStats();
    generateCustomTable();
}

void CustomTab::refreshCustom()
{
    generateCustomTable();
    refreshAlgorithmStats();
}

void CustomTab::generateCustomTable()
{
    const std::optional<PredictionTable> table =
        ::tandor28::generateCustomTable(m_evaluator, m_state.history, formulaBoxes(), m_code, periodCount());
    if (table)
        writePredictionTable(m_ui->customPredictionTable, *table);
}

void CustomTab::refreshAlgorithmStats()
{
    ::tandor28::refreshAlgorithmStats(m_evaluator, m_state.history, m_list.items, m_code, statsWindow());
    showAlgorithmList();
}

void CustomTab::showAlgorithmList()
{
    QTreeWidget* list = m_ui->savedAlgorithmList;
    // Rebuilt from the list, which is the truth, also for the selection: removing the current item
    // must not move the selection to another one. Resizing first keeps the items that stay.
    const QSignalBlocker rebuilding(list);
    while (list->topLevelItemCount() > static_cast<int>(m_list.items.size()))
        delete list->takeTopLevelItem(list->topLevelItemCount() - 1);
    while (list->topLevelItemCount() < static_cast<int>(m_list.items.size()))
        list->addTopLevelItem(new QTreeWidgetItem(list));
    for (int i = 0; i < static_cast<int>(m_list.items.size()); ++i) {
        const CustomAlgorithm& algorithm = m_list.items[static_cast<std::size_t>(i)];
        QTreeWidgetItem* item = list->topLevelItem(i);
        item->setText(0, algorithm.name);
        item->setText(1, algorithm.accuracy);
        item->setText(2, algorithm.winStreak);
        item->setText(3, algorithm.lossStreak);
        item->setText(4, algorithm.formulas);
        // A refused item is kept as saved and never run; it says why.
        for (int column = 0; column < 5; ++column)
            item->setToolTip(column, algorithm.refusal);
        item->setData(1, Qt::ForegroundRole,
                      algorithm.refusal.isEmpty() ? QVariant() : QVariant(QBrush(QColor(255, 0, 0))));
    }
    const int selected = m_list.selectedIndex;
    list->setCurrentItem(selected >= 0 && selected < list->topLevelItemCount() ? list->topLevelItem(selected)
                                                                               : nullptr);
}

void CustomTab::saveAlgorithms()
{
    // A failed write keeps the list on screen and the file as it was, and says why.
    QString reason;
    if (!::tandor28::saveAlgorithms(m_store, m_list.items, &reason))
        m_dialogs.inform(QStringLiteral("算法保存失败：%1\n%2").arg(QDir::toNativeSeparators(m_store.path), reason));
}

void CustomTab::selectCustomBetType(int code)
{
    if (!customBetType(code))
        return;
    for (int i = 0; i < m_betTypeButtons.size(); ++i)
        setButtonBackground(m_betTypeButtons.at(i), i + 1 == code ? kSelectedButton : kUnselectedButton);
    m_code = code;
    generateCustomTable();
}

void CustomTab::generateRandomAlgorithm()
{
    setFormulaBoxes(randomAlgorithm(m_random, searchModeFromIndex(m_ui->searchModeCombo->currentIndex())));
    generateCustomTable();
}

void CustomTab::onStatsWindowChanged(int index)
{
    Q_UNUSED(index);
    m_ui->customWindowButton->setText(QStringLiteral("统计 ") + m_ui->customWindowCombo->currentText() +
                                      QStringLiteral(" 期"));
    setButtonCaptionColour(m_ui->customWindowButton, kWhite);
    refreshAlgorithmStats();
}

void CustomTab::showStatsWindowChoices()
{
    m_ui->customWindowCombo->showPopup();
}

void CustomTab::refreshPrediction()
{
    refreshCustom();
}

void CustomTab::showHelp()
{
    m_dialogs.inform(formulaHelpText());
}

void CustomTab::startSearch()
{
    if (isSearching()) {
        stopSearch();
        return;
    }
    if (const std::optional<QString> refusal = searchRefusal(m_state.countdown)) {
        m_dialogs.inform(*refusal);
        return;
    }
    SearchSettings settings;
    settings.mode = searchModeFromIndex(m_ui->searchModeCombo->currentIndex());
    settings.criterion = m_ui->searchCriterionCombo->currentIndex();
    settings.threshold = leadingInt(m_ui->searchThresholdEdit->text());
    settings.window = statsWindow();
    settings.code = m_code;
    m_ui->searchButton->setText(kStopSearch);
    // The worker gets its own copy of the history: a refresh may replace it meanwhile.
    m_searchThread = std::jthread([this, history = m_state.history, settings](std::stop_token stop) {
        const SearchResult result = runSearch(history, settings, stop);
        QMetaObject::invokeMethod(
            this, [this, result] { onSearchFinished(result); }, Qt::QueuedConnection);
    });
}

void CustomTab::stopSearch()
{
    m_searchThread.request_stop();
}

void CustomTab::stopSearchForOverdueDraw()
{
    // A search runs on a history that is about to change.
    if (isSearching())
        stopSearch();
}

void CustomTab::onSearchFinished(const SearchResult& result)
{
    if (m_searchThread.joinable())
        m_searchThread.join();
    if (result.outcome == SearchResult::Outcome::Found) {
        setFormulaBoxes(result.formulas);
        generateCustomTable();
    }
    m_ui->searchButton->setText(kStartSearch);
    Q_EMIT searchEnded();
}

void CustomTab::saveAlgorithm()
{
    const FormulaTriple formulas = formulaBoxes();
    const QString name = m_ui->algorithmNameEdit->text();
    if (const std::optional<QString> refusal = saveRefusal(m_evaluator, name, formulas)) {
        m_dialogs.warn(*refusal);
        return;
    }
    appendAlgorithm(m_list, name, formulas[0], formulas[1], formulas[2]);
    showAlgorithmList();
    saveAlgorithms();
    refreshAlgorithmStats();
}

void CustomTab::deleteSelectedAlgorithm()
{
    if (m_list.selectedIndex < 0)
        return;
    if (!m_dialogs.confirm(kConfirmDelete))
        return;
    if (::tandor28::deleteSelectedAlgorithm(m_list)) {
        showAlgorithmList();
        saveAlgorithms();
    }
}

void CustomTab::deleteChosenAlgorithm()
{
    if (::tandor28::deleteSelectedAlgorithm(m_list)) {
        showAlgorithmList();
        saveAlgorithms();
    }
}

void CustomTab::clearAlgorithmList()
{
    if (!m_dialogs.confirm(kConfirmDelete))
        return;
    clearAlgorithms(m_list);
    showAlgorithmList();
    saveAlgorithms();
}

void CustomTab::onSavedAlgorithmChosen(QTreeWidgetItem* item)
{
    const int index = item ? m_ui->savedAlgorithmList->indexOfTopLevelItem(item) : -1;
    const std::optional<CustomAlgorithm> chosen = chooseAlgorithm(m_list, index);
    if (!chosen)
        return;
    m_ui->algorithmNameEdit->setText(chosen->name);
    setFormulaBoxes(splitFormulas(chosen->formulas));
    generateCustomTable();
}

void CustomTab::onSavedListCurrentChanged(QTreeWidgetItem* current)
{
    m_list.selectedIndex = current ? m_ui->savedAlgorithmList->indexOfTopLevelItem(current) : -1;
}

void CustomTab::onSavedListMenuRequested(const QPoint& position)
{
    m_savedListMenu->popup(m_ui->savedAlgorithmList->viewport()->mapToGlobal(position));
}

} // namespace tandor28
