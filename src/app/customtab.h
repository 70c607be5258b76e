#pragma once

#include "app/appstate.h"

#include "custom/algorithmlist.h"
#include "custom/algorithmstore.h"
#include "custom/formula.h"
#include "custom/search.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <thread>

class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class CustomTab;
}

namespace tandor28 {

// The message boxes of the tab; tests answer them without a modal wait.
struct CustomTabDialogs
{
    // An information box with an OK button.
    std::function<void(const QString& text)> inform;
    // A question with OK and Cancel; true for OK.
    std::function<bool(const QString& text)> confirm;
    // A warning with an OK button: what was refused or failed, and why.
    std::function<void(const QString& text)> warn;
};

// Tab "自定义算法": formulas, saved algorithms, random search and the custom prediction table.
class CustomTab : public QWidget
{
    Q_OBJECT

public:
    CustomTab(const AppState& state, QWidget* parent = nullptr);
    ~CustomTab() override;

    [[nodiscard]] QTableView* table() const;
    // Start-up: the table's look, header texts and column widths.
    void styleTable();
    [[nodiscard]] QTreeWidget* savedList() const;
    [[nodiscard]] QList<QPushButton*> betTypeButtons() const { return m_betTypeButtons; }
    [[nodiscard]] QMenu* savedListMenu() const { return m_savedListMenu; }
    [[nodiscard]] int currentBetCode() const { return m_code; }
    [[nodiscard]] const AlgorithmList& algorithms() const { return m_list; }
    [[nodiscard]] bool isSearching() const { return m_searchThread.joinable(); }

    // The data file; TandorData.ini beside the executable unless set before loadAlgorithms().
    void setStorePath(const QString& path);
    void setDialogs(CustomTabDialogs dialogs);

    // Start-up: read the saved algorithms, then the bet type 组合, their statistics and the table.
    void loadAlgorithms();
    // Rebuilds the custom prediction table and the saved algorithms' statistics; the refresh calls it.
    void refreshCustom();
    void generateCustomTable();
    void refreshAlgorithmStats();
    // A new history: its draws go into the draw columns of the table.
    void writeDrawRows();

    void selectCustomBetType(int code);
    void generateRandomAlgorithm();
    void onStatsWindowChanged(int index);
    void showStatsWindowChoices();
    void refreshPrediction();
    void showHelp();
    // "开始搜索" starts a search, "停止搜索" stops it.
    void startSearch();
    void saveAlgorithm();
    void deleteSelectedAlgorithm();
    void deleteChosenAlgorithm();
    void clearAlgorithmList();
    void onSavedAlgorithmChosen(QTreeWidgetItem* item);
    // The user made another item current (click, arrow key, right-click): it becomes the selection.
    // Rebuilding the list never does; the list shows the selection it keeps.
    void onSavedListCurrentChanged(QTreeWidgetItem* current);
    void onSavedListMenuRequested(const QPoint& position);

Q_SIGNALS:
    // A search has ended: found, stopped, or ended by an overdue draw.
    void searchEnded();

private:
    [[nodiscard]] FormulaTriple formulaBoxes() const;
    void showFormulaRefusal(QLineEdit* box);
    void setFormulaBoxes(const FormulaTriple& formulas);
    [[nodiscard]] int periodCount() const;
    [[nodiscard]] int statsWindow() const;
    void showAlgorithmList();
    void saveAlgorithms();
    void stopSearch();
    void onSearchFinished(const SearchResult& result);
    void stopSearchForOverdueDraw();

    const std::unique_ptr<Ui::CustomTab> m_ui;
    const AppState& m_state;
    CustomTabDialogs m_dialogs;
    QList<QPushButton*> m_betTypeButtons;
    QMenu* m_savedListMenu = nullptr;
    int m_code = 1;
    FormulaEvaluator m_evaluator;
    RandomSource m_random;
    AlgorithmList m_list;
    AlgorithmStore m_store;
    // Last, so it is stopped and joined before anything it reads goes away.
    std::jthread m_searchThread;
};

} // namespace tandor28
