#pragma once

#include "app/appstate.h"

#include <QWidget>

#include <memory>

class QPoint;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class CustomTab;
}

namespace tandor28 {

// Tab "自定义算法": formulas, saved algorithms, random search and the custom prediction table.
class CustomTab : public QWidget
{
    Q_OBJECT

public:
    CustomTab(const AppState& state, const WindowParts& parts, QWidget* parent = nullptr);
    ~CustomTab() override;

    [[nodiscard]] QTableWidget* table() const;
    [[nodiscard]] QTreeWidget* savedList() const;

    // Start-up: read the saved algorithms.
    void loadAlgorithms();
    // Rebuilds the custom prediction table and the saved algorithms' statistics; the refresh calls it.
    void refreshCustom();

    void selectCustomBetType(int code);
    void generateRandomAlgorithm();
    void onStatsWindowChanged(int index);
    void showStatsWindowChoices();
    void refreshPrediction();
    void showHelp();
    void startSearch();
    void saveAlgorithm();
    void deleteSelectedAlgorithm();
    void onSavedAlgorithmChosen(QTreeWidgetItem* item);
    void onSavedListMenuRequested(const QPoint& position);

private:
    const std::unique_ptr<Ui::CustomTab> m_ui;
    const AppState& m_state;
    const WindowParts& m_parts;
};

} // namespace tandor28
