#include "app/customtab.h"
#include "app/gridmodel.h"
#include "app/periodsbox.h"
#include "app/tablewriter.h"

#include "custom/algorithmstore.h"
#include "custom/customtable.h"
#include "custom/formula.h"
#include "paths/filelocations.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace tandor28;

namespace {

DrawHistory makeHistory(int count)
{
    std::vector<Draw> draws;
    unsigned seed = 2028;
    auto digit = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return QString::number((seed >> 16) % 10);
    };
    for (int position = 1; position <= count; ++position) {
        const QString d1 = digit();
        const QString d2 = digit();
        const QString d3 = digit();
        draws.push_back(makeDraw(QString::number(3255300 - position), QStringLiteral("10:30"), d1, d2, d3));
    }
    return DrawHistory(std::move(draws));
}

const QString kProgramStore = QStringLiteral("<program>");

// The custom tab as the main window wires it, over an in-memory history, with its data file in a
// temporary directory and its message boxes answered by the test.
struct CustomTabFixture
{
    // `storeDir` kProgramStore: the data file where the program keeps it (the tab's own default).
    explicit CustomTabFixture(int drawCount = kHistoryLength, const QString& storeDir = {})
    {
        state.history = makeHistory(drawCount);
        state.setCountdown(200);
        storePath = storeDir == kProgramStore
                        ? fileLocations().dataFile
                        : (storeDir.isEmpty() ? dir.path() : storeDir) + QStringLiteral("/TandorData.ini");
        tab = std::make_unique<CustomTab>(state);
        for (int row = 1; row < gridRowCount(tab->table()); ++row) {
            for (int column = 0; column < 7; ++column)
                setCellText(tab->table(), row, column, QStringLiteral("old"));
        }
        if (storeDir != kProgramStore)
            tab->setStorePath(storePath);
        tab->setDialogs({[this](const QString& text) { informed.append(text); },
                         [this](const QString& text) {
                             asked.append(text);
                             return answerOk;
                         },
                         [this](const QString& text) { warned.append(text); }});
        tab->loadAlgorithms();
        tab->show();
    }

    template <typename T> T* child(const char* name) const
    {
        T* widget = tab->findChild<T*>(QString::fromLatin1(name));
        Q_ASSERT(widget);
        return widget;
    }

    QPushButton* button(const char* name) const { return child<QPushButton>(name); }

    FormulaTriple boxes() const
    {
        return {child<QLineEdit>("formulaEdit1")->text(), child<QLineEdit>("formulaEdit2")->text(),
                child<QLineEdit>("formulaEdit3")->text()};
    }

    void setBoxes(const FormulaTriple& formulas) const
    {
        child<QLineEdit>("formulaEdit1")->setText(formulas[0]);
        child<QLineEdit>("formulaEdit2")->setText(formulas[1]);
        child<QLineEdit>("formulaEdit3")->setText(formulas[2]);
    }

    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    // A criterion no window can reach is refused; this one can be reached but never is in practice:
    // right in each of 100 rows.
    void setSearchThatNeverEnds() const
    {
        child<QComboBox>("customWindowCombo")->setCurrentIndex(child<QComboBox>("customWindowCombo")->count() - 1);
        child<QComboBox>("searchCriterionCombo")->setCurrentIndex(0); // 正确≥
        child<QLineEdit>("searchThresholdEdit")->setText(QStringLiteral("100"));
    }

    void clickListItem(int index) const
    {
        QTreeWidget* list = tab->savedList();
        QTreeWidgetItem* item = list->topLevelItem(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    }

    QAction* menuAction(const char* name) const { return tab->savedListMenu()->findChild<QAction*>(name); }

    // The grid shows what the core generates for the boxes and the current code.
    bool tableShowsBoxes(QString* why) const
    {
        FormulaEvaluator evaluator;
        const auto table = generateCustomTable(evaluator, state.history, boxes(), tab->currentBetCode(), kPeriodCount);
        if (!table) {
            *why = QStringLiteral("no table");
            return false;
        }
        for (int row = 1; row <= kPeriodCount + 1; ++row) {
            const PredictionRow& cells = table->rows[static_cast<std::size_t>(row - 1)];
            for (int column = 0; column < 7; ++column) {
                const PredictionCell& cell = cells[static_cast<std::size_t>(column)];
                const QString shown = cellText(tab->table(), row, column);
                if (cell.text ? shown != *cell.text : shown != QLatin1String("old")) {
                    *why = QStringLiteral("row %1 column %2 shows %3").arg(row).arg(column).arg(shown);
                    return false;
                }
                if (cell.colour && cellTextColour(tab->table(), row, column) != *cell.colour) {
                    *why = QStringLiteral("row %1 column %2 colour").arg(row).arg(column);
                    return false;
                }
            }
        }
        return true;
    }

    QStringList listRow(int index) const
    {
        QTreeWidgetItem* item = tab->savedList()->topLevelItem(index);
        QStringList texts;
        for (int column = 0; column < 5; ++column)
            texts << item->text(column);
        return texts;
    }

    QTemporaryDir dir;
    QString storePath;
    AppState state;
    std::unique_ptr<CustomTab> tab;
    QStringList informed;
    QStringList asked;
    QStringList warned;
    bool answerOk = true;
};

const QRegularExpression kRandomFormula(QStringLiteral(R"(^\[(1[0-8]|[1-9])\]([-+*/]\[(1[0-8]|[1-9])\]){2,3}$)"));

} // namespace

class TestCustomTab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void startsWithComboAndTheDefaultBoxes();
    void betTypeButtons_data();
    void betTypeButtons();
    void windowChoiceRecountsTheList();
    void statsWindowBoxTakesDigitsOnly_data();
    void statsWindowBoxTakesDigitsOnly();
    void helpShowsTheInstructions();
    void randomAlgorithmFillsTheBoxes();
    void saveChooseDeleteRoundTrip();
    void failedSaveIsShown_data();
    void failedSaveIsShown();
    void savesIntoTheUsersDataFolder();
    void deleteAskedAndCancelled();
    void menuDeletesTwiceAndClears();
    void menuDeletesTheCurrentRow_data();
    void menuDeletesTheCurrentRow();
    void deletingTheLastRowMovesNoSelection();
    void saveRefusesWhatWouldNotComeBack_data();
    void saveRefusesWhatWouldNotComeBack();
    void savedHostileFormulaLoadsAsZero();
    void fewerThanTenDrawsLeaveTheTable();
    void searchLossStreakZeroWinsAtOnce();
    void unmeetableSearchRunsUntilStopped();
    void searchRefusedAt19StartsAt20_data();
    void searchRefusedAt19StartsAt20();
    void overdueDrawEndsTheSearch();
    void unreachableThresholdRefused_data();
    void unreachableThresholdRefused();
    void endedSearchSaysHowItEnded_data();
    void endedSearchSaysHowItEnded();
    void closingEndsARunningSearch();
};

void TestCustomTab::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestCustomTab::startsWithComboAndTheDefaultBoxes()
{
    CustomTabFixture f;
    QCOMPARE(f.tab->currentBetCode(), 1);
    QCOMPARE(buttonBackground(f.tab->betTypeButtons().at(0)), kSelectedButton);
    for (int i = 1; i < 8; ++i)
        QCOMPARE(buttonBackground(f.tab->betTypeButtons().at(i)), kUnselectedButton);
    QCOMPARE(f.boxes()[0], QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"));
    QCOMPARE(f.boxes()[1], QString());
    QCOMPARE(f.boxes()[2], QStringLiteral("[1]*[9]+[5]/[2]+[10]"));
    QString why;
    QVERIFY2(f.tableShowsBoxes(&why), qPrintable(why));
    // The special number of the coming issue is not this tab's to show.
    QCOMPARE(cellText(f.tab->table(), 1, 3), QStringLiteral("old"));
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 0);
    QCOMPARE(f.button("searchButton")->text(), QStringLiteral("开始搜索"));
}

void TestCustomTab::betTypeButtons_data()
{
    QTest::addColumn<int>("code");
    const char* const labels[] = {"组合", "大小", "单双", "杀组", "杀3N", "杀4N", "杀双组", "双项"};
    for (int code = 1; code <= 8; ++code)
        QTest::newRow(labels[code - 1]) << code;
}

void TestCustomTab::betTypeButtons()
{
    QFETCH(int, code);
    CustomTabFixture f;
    QTest::mouseClick(f.tab->betTypeButtons().at(code - 1), Qt::LeftButton);
    QCOMPARE(f.tab->currentBetCode(), code);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(buttonBackground(f.tab->betTypeButtons().at(i)), i + 1 == code ? kSelectedButton : kUnselectedButton);
    QString why;
    QVERIFY2(f.tableShowsBoxes(&why), qPrintable(why));
}

void TestCustomTab::windowChoiceRecountsTheList()
{
    CustomTabFixture f;
    f.click("saveAlgorithmButton");
    auto* combo = f.child<QComboBox>("customWindowCombo");
    // Every item chosen runs the window change, here one step at a time from the keyboard.
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(f.button("customWindowButton")->text(), QStringLiteral("统计 30 期"));
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), QStringLiteral("50"));
    QCOMPARE(f.button("customWindowButton")->text(), QStringLiteral("统计 50 期"));
    QCOMPARE(buttonCaptionColour(f.button("customWindowButton")), kWhite);
    FormulaEvaluator evaluator;
    const auto stats = evaluateCustomAlgorithm(evaluator, f.state.history, f.boxes(), 1, 50);
    QVERIFY(stats);
    const QStringList row = f.listRow(0);
    QCOMPARE(row.mid(1, 3), (QStringList{QString::number(stats->accuracy), QString::number(stats->winStreak),
                                         QString::number(stats->lossStreak)}));
}

void TestCustomTab::statsWindowBoxTakesDigitsOnly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters") << "abc";
    QTest::newRow("sign and letters") << "-x";
    QTest::newRow("blank") << " ";
}

void TestCustomTab::statsWindowBoxTakesDigitsOnly()
{
    QFETCH(QString, typed);
    CustomTabFixture f;
    auto* combo = f.child<QComboBox>("customWindowCombo");
    combo->setFocus();
    QTest::keyClicks(combo, typed);
    QTest::keyClick(combo, Qt::Key_Return);
    bool digits = false;
    const int window = combo->currentText().toInt(&digits);
    QVERIFY2(digits && window >= 20 && window <= 100, qPrintable(combo->currentText()));
    QVERIFY2(f.button("customWindowButton")->text().contains(combo->currentText()),
             qPrintable(f.button("customWindowButton")->text()));
}

void TestCustomTab::helpShowsTheInstructions()
{
    CustomTabFixture f;
    f.click("helpButton");
    QCOMPARE(f.informed, QStringList{formulaHelpText()});
}

void TestCustomTab::randomAlgorithmFillsTheBoxes()
{
    CustomTabFixture f;
    f.click("randomButton");
    const FormulaTriple boxes = f.boxes();
    for (const QString& formula : boxes)
        QVERIFY2(kRandomFormula.match(formula).hasMatch(), qPrintable(formula));
    QCOMPARE(boxes[1].count(u'['), boxes[0].count(u'['));
    QCOMPARE(boxes[2].count(u'['), boxes[0].count(u'['));
    QString why;
    QVERIFY2(f.tableShowsBoxes(&why), qPrintable(why));
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 0);
}

void TestCustomTab::saveChooseDeleteRoundTrip()
{
    QTemporaryDir storeDir;
    {
        CustomTabFixture f(kHistoryLength, storeDir.path());
        f.click("saveAlgorithmButton");
        f.child<QLineEdit>("algorithmNameEdit")->setText(QStringLiteral("第二"));
        f.setBoxes({QStringLiteral("[2]*[3]"), QStringLiteral("[4]"), QString()});
        f.click("saveAlgorithmButton");
        QCOMPARE(f.tab->savedList()->topLevelItemCount(), 2);
        QCOMPARE(f.listRow(0)[0], QStringLiteral("Tandor超神算法"));
        QCOMPARE(f.listRow(0)[4], QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]||[1]*[9]+[5]/[2]+[10]"));
        QCOMPARE(f.listRow(1)[4], QStringLiteral("[2]*[3]|[4]|"));
        FormulaEvaluator evaluator;
        const auto stats = evaluateCustomAlgorithm(evaluator, f.state.history, f.boxes(), 1, 20);
        QCOMPARE(f.listRow(1).mid(1, 3),
                 (QStringList{QString::number(stats->accuracy), QString::number(stats->winStreak),
                              QString::number(stats->lossStreak)}));
        QFile file(f.storePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const DecodedStore decoded = decodeStore(file.readAll());
        QCOMPARE(decoded.algorithms.size(), std::size_t(2));
        QCOMPARE(decoded.algorithms[1].name, QStringLiteral("第二"));
    }
    // A new start reads the file back; choosing an item fills the name, the boxes and the table.
    CustomTabFixture f(kHistoryLength, storeDir.path());
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 2);
    QVERIFY(!f.listRow(0)[1].isEmpty()); // statistics computed at load
    f.clickListItem(0);
    QCOMPARE(f.tab->algorithms().selectedIndex, 0);
    QCOMPARE(f.child<QLineEdit>("algorithmNameEdit")->text(), QStringLiteral("Tandor超神算法"));
    QCOMPARE(f.boxes()[1], QString());
    f.clickListItem(1);
    QCOMPARE(f.boxes(), (FormulaTriple{QStringLiteral("[2]*[3]"), QStringLiteral("[4]"), QString()}));
    QString why;
    QVERIFY2(f.tableShowsBoxes(&why), qPrintable(why));
    f.click("deleteAlgorithmButton");
    QCOMPARE(f.asked, QStringList{QStringLiteral("确定删除吗？")});
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 1);
    QFile file(f.storePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const DecodedStore decoded = decodeStore(file.readAll());
    QCOMPARE(decoded.algorithms.size(), std::size_t(1));
    QCOMPARE(decoded.algorithms[0].name, QStringLiteral("Tandor超神算法"));
}

void TestCustomTab::failedSaveIsShown_data()
{
    QTest::addColumn<bool>("folderIsAFile");
    // clang-format off
    QTest::newRow("missing data folder is created") << false;
    QTest::newRow("data folder blocked by a file")  << true;
    // clang-format on
}

void TestCustomTab::failedSaveIsShown()
{
    QFETCH(bool, folderIsAFile);
    QTemporaryDir root;
    if (folderIsAFile) {
        QFile blocker(root.filePath(QStringLiteral("data")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    CustomTabFixture f(kHistoryLength, root.filePath(QStringLiteral("data/tandor28")));
    f.click("saveAlgorithmButton");
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 1);
    if (!folderIsAFile) {
        QVERIFY(f.informed.isEmpty());
        QVERIFY(QFileInfo(f.storePath).isFile());
        return;
    }
    QVERIFY(!QFileInfo::exists(f.storePath));
    QCOMPARE(f.informed.size(), 1);
    QVERIFY2(f.informed.first().startsWith(QStringLiteral("算法保存失败")), qPrintable(f.informed.first()));
    QVERIFY(f.informed.first().contains(QDir::toNativeSeparators(f.storePath)));
}

void TestCustomTab::savesIntoTheUsersDataFolder()
{
    // Nothing of the program's stands beside the test executable, so the tab, left to its default,
    // saves into the user's data folder (the test-mode one), creating the folder.
    const FileLocations locations = fileLocations();
    QVERIFY(!locations.portable);
    QDir(locations.dataDir).removeRecursively();
    {
        CustomTabFixture f(kHistoryLength, kProgramStore);
        QCOMPARE(f.tab->savedList()->topLevelItemCount(), 0);
        f.click("saveAlgorithmButton");
        QVERIFY(f.informed.isEmpty());
    }
    QFile file(locations.dataFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const DecodedStore decoded = decodeStore(file.readAll());
    QCOMPARE(decoded.algorithms.size(), std::size_t(1));
    QCOMPARE(decoded.algorithms[0].name, QStringLiteral("Tandor超神算法"));
    QVERIFY(!QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/TandorData.ini")));
    QDir(locations.dataDir).removeRecursively();
}

void TestCustomTab::deleteAskedAndCancelled()
{
    CustomTabFixture f;
    f.click("saveAlgorithmButton");
    // Nothing chosen yet: nothing is asked, nothing deleted.
    f.click("deleteAlgorithmButton");
    QVERIFY(f.asked.isEmpty());
    f.clickListItem(0);
    f.answerOk = false;
    f.click("deleteAlgorithmButton");
    QCOMPARE(f.asked.size(), 1);
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 1);
}

void TestCustomTab::menuDeletesTwiceAndClears()
{
    CustomTabFixture f;
    for (const char* name : {"a", "b", "c", "d"}) {
        f.child<QLineEdit>("algorithmNameEdit")->setText(QString::fromLatin1(name));
        f.click("saveAlgorithmButton");
    }
    QCOMPARE(f.tab->savedListMenu()->title(), QStringLiteral("&算法"));
    QAction* deleteOne = f.menuAction("deleteChosenAlgorithmAction");
    QAction* clearAll = f.menuAction("clearAlgorithmListAction");
    QCOMPARE(deleteOne->text(), QStringLiteral("删除该算法"));
    QCOMPARE(clearAll->text(), QStringLiteral("清空算法列表"));
    f.clickListItem(1);
    deleteOne->trigger();
    deleteOne->trigger(); // the item that moved up into the remembered place
    QVERIFY(f.asked.isEmpty());
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 2);
    QCOMPARE(f.listRow(0)[0], QStringLiteral("a"));
    QCOMPARE(f.listRow(1)[0], QStringLiteral("d"));
    clearAll->trigger();
    QCOMPARE(f.asked, QStringList{QStringLiteral("确定删除吗？")});
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 0);
    QFile file(f.storePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), 0);
}

void TestCustomTab::menuDeletesTheCurrentRow_data()
{
    // How the second of two rows becomes current (or nothing does), and the names left after
    // "删除该算法".
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("right-click on the second row") << "right-click" << QStringList{"first"};
    QTest::newRow("arrow key from the first row") << "arrow key" << QStringList{"first"};
    QTest::newRow("right-click after choosing the first") << "click then right-click" << QStringList{"first"};
    QTest::newRow("nothing current") << "none" << QStringList{"first", "second"};
}

void TestCustomTab::menuDeletesTheCurrentRow()
{
    QFETCH(QString, how);
    QFETCH(QStringList, left);
    CustomTabFixture f;
    for (const char* name : {"first", "second"}) {
        f.child<QLineEdit>("algorithmNameEdit")->setText(QString::fromLatin1(name));
        f.click("saveAlgorithmButton");
    }
    QTreeWidget* list = f.tab->savedList();
    QMenu* menu = f.tab->savedListMenu();
    QAction* deleteOne = f.menuAction("deleteChosenAlgorithmAction");
    const QPoint second = list->visualItemRect(list->topLevelItem(1)).center();
    if (how == QLatin1String("click then right-click"))
        f.clickListItem(0);
    if (how.endsWith(QLatin1String("right-click"))) {
        // The press makes the row current; the window system then sends the context menu event.
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, second);
        QContextMenuEvent contextMenu(QContextMenuEvent::Mouse, second, list->viewport()->mapToGlobal(second));
        QApplication::sendEvent(list->viewport(), &contextMenu);
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 10000);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(deleteOne).center());
        QTRY_VERIFY_WITH_TIMEOUT(!menu->isVisible(), 10000);
    } else {
        if (how == QLatin1String("arrow key")) {
            f.clickListItem(0);
            QTest::keyClick(list, Qt::Key_Down);
            QCOMPARE(f.tab->algorithms().selectedIndex, 1);
        } else {
            list->setCurrentItem(nullptr);
            QCOMPARE(f.tab->algorithms().selectedIndex, -1);
        }
        deleteOne->trigger();
    }
    QFile file(f.storePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const DecodedStore decoded = decodeStore(file.readAll());
    QStringList names;
    for (const CustomAlgorithm& algorithm : decoded.algorithms)
        names << algorithm.name;
    QCOMPARE(names, left);
    QCOMPARE(list->topLevelItemCount(), static_cast<int>(left.size()));
}

void TestCustomTab::deletingTheLastRowMovesNoSelection()
{
    CustomTabFixture f;
    for (const char* name : {"first", "second"}) {
        f.child<QLineEdit>("algorithmNameEdit")->setText(QString::fromLatin1(name));
        f.click("saveAlgorithmButton");
    }
    QTreeWidget* list = f.tab->savedList();
    QAction* deleteOne = f.menuAction("deleteChosenAlgorithmAction");
    f.clickListItem(1);
    deleteOne->trigger();
    // The remembered place is past the end now: no row is current, and no other row was chosen.
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->currentItem(), nullptr);
    QCOMPARE(f.tab->algorithms().selectedIndex, 1);
    deleteOne->trigger();
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(f.listRow(0)[0], QStringLiteral("first"));
    // The list shows the selection the tab keeps: choosing the row makes it current again.
    f.clickListItem(0);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    deleteOne->trigger();
    QCOMPARE(list->topLevelItemCount(), 0);
}

void TestCustomTab::saveRefusesWhatWouldNotComeBack_data()
{
    // What is typed into the name box and the three formula boxes, and a text the warning holds.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("third");
    QTest::addColumn<QString>("warning");
    // clang-format off
    QTest::newRow("name with the separator") << "超神----算法" << "[1]" << "[2]" << "----";
    QTest::newRow("name with a line break") << "a\r\nb" << "[1]" << "[2]" << "换行";
    QTest::newRow("name with a bar") << "a|b" << "[1]" << "[2]" << "|";
    QTest::newRow("formula with a bar") << "a" << "[1]|[2]" << "[2]" << "[1]|[2]";
    QTest::newRow("formula with a line break") << "a" << "[1]" << "[2]\n+1" << "换行";
    QTest::newRow("formula that does not compile") << "a" << "[1]+" << "[2]" << "[1]+";
    QTest::newRow("formula the engine is not given") << "a" << "[1]" << "'x'.repeat(1e9)" << "'x'.repeat(1e9)";
    QTest::newRow("name built from a value's text") << "a" << "(Math.abs+[])[3+0]" << "[2]" << "第1个公式不能保存：方括号";
    QTest::newRow("loop inside a built-in") << "a" << "[1]" << "[].includes.call({length:1e12},1)" << "第3个公式不能保存";
    QTest::newRow("huge string") << "a" << "JSON.stringify(Array(1e8))" << "[2]" << "“JSON”";
    QTest::newRow("Math replaced") << "a" << "Math.abs=Math.floor" << "[2]" << "不能赋值";
    // clang-format on
}

void TestCustomTab::saveRefusesWhatWouldNotComeBack()
{
    QFETCH(QString, name);
    QFETCH(QString, first);
    QFETCH(QString, third);
    QFETCH(QString, warning);
    CustomTabFixture f;
    f.click("saveAlgorithmButton"); // one good record first
    QFile file(f.storePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    f.child<QLineEdit>("algorithmNameEdit")->setText(name);
    f.setBoxes({first, QString(), third});
    f.click("saveAlgorithmButton");
    QCOMPARE(f.warned.size(), 1);
    QVERIFY2(f.warned.first().contains(warning), qPrintable(f.warned.first()));
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 1);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestCustomTab::savedHostileFormulaLoadsAsZero()
{
    QTemporaryDir storeDir;
    const QString formulas =
        QStringLiteral("new Array(6e5).copyWithin(0,1)|"
                       "s=\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\";s=s.replace(/x/g,s);s=s.replace(/x/g,s);"
                       "s=s.replace(/x/g,s)|new Array(1e9).map(function(x){return 1})");
    CustomAlgorithm saved;
    saved.name = QStringLiteral("坏算法");
    saved.formulas = formulas;
    {
        QFile file(storeDir.filePath(QStringLiteral("TandorData.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(encodeStore({saved}));
    }
    const QString path = storeDir.filePath(QStringLiteral("TandorData.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    CustomTabFixture f(kHistoryLength, storeDir.path());
    QCOMPARE(f.tab->savedList()->topLevelItemCount(), 1);
    QCOMPARE(f.listRow(0)[4], formulas);
    // Shown as refused, with the reason, never run.
    QCOMPARE(f.listRow(0)[1], kRefusedStats);
    const QString reason = f.tab->savedList()->topLevelItem(0)->toolTip(0);
    QVERIFY2(reason.startsWith(QStringLiteral("第1个公式：")) && reason.contains(QStringLiteral("“new”")),
             qPrintable(reason));
    f.clickListItem(0);
    QCOMPARE(f.boxes()[0], QStringLiteral("new Array(6e5).copyWithin(0,1)"));
    // The boxes holding it say why too.
    QVERIFY(f.child<QLineEdit>("formulaEdit1")->toolTip().contains(QStringLiteral("“new”")));
    QVERIFY(!f.child<QLineEdit>("formulaEdit1")->styleSheet().isEmpty());
    f.setBoxes({QStringLiteral("[1]"), QString(), QString()});
    QCOMPARE(f.child<QLineEdit>("formulaEdit1")->toolTip(), QString());
    QCOMPARE(f.child<QLineEdit>("formulaEdit1")->styleSheet(), QString());
    f.clickListItem(0);
    // Kept in the file as it was.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    // Every formula counts as digit 0, so every row predicts the special number 00.
    for (int row = 2; row <= kPeriodCount + 1; ++row)
        QCOMPARE(cellText(f.tab->table(), row, 3), QStringLiteral("00"));
    QString why;
    QVERIFY2(f.tableShowsBoxes(&why), qPrintable(why));
}

void TestCustomTab::fewerThanTenDrawsLeaveTheTable()
{
    CustomTabFixture f(9);
    f.click("saveAlgorithmButton");
    QCOMPARE(cellText(f.tab->table(), 2, 3), QStringLiteral("old"));
    QCOMPARE(cellText(f.tab->table(), 1, 4), QStringLiteral("old"));
    QCOMPARE(f.listRow(0).mid(1, 3), (QStringList{"0", "0", "0"}));
}

void TestCustomTab::searchLossStreakZeroWinsAtOnce()
{
    CustomTabFixture f;
    f.child<QComboBox>("searchCriterionCombo")->setCurrentIndex(3); // 当前连挂
    f.child<QLineEdit>("searchThresholdEdit")->setText(QStringLiteral("0"));
    QSignalSpy ended(f.tab.get(), &CustomTab::searchEnded);
    f.click("searchButton");
    QCOMPARE(f.button("searchButton")->text(), QStringLiteral("停止搜索"));
    QVERIFY(ended.wait(10000));
    QCOMPARE(f.button("searchButton")->text(), QStringLiteral("开始搜索"));
    for (const QString& formula : f.boxes())
        QVERIFY2(kRandomFormula.match(formula).hasMatch(), qPrintable(formula));
    QString why;
    QVERIFY2(f.tableShowsBoxes(&why), qPrintable(why));
}

void TestCustomTab::unmeetableSearchRunsUntilStopped()
{
    CustomTabFixture f;
    f.setSearchThatNeverEnds();
    const FormulaTriple before = f.boxes();
    QSignalSpy ended(f.tab.get(), &CustomTab::searchEnded);
    f.click("searchButton");
    QVERIFY(f.tab->isSearching());
    // The window keeps answering while the search runs.
    QTest::mouseClick(f.tab->betTypeButtons().at(4), Qt::LeftButton);
    QCOMPARE(f.tab->currentBetCode(), 5);
    QString why;
    QVERIFY2(f.tableShowsBoxes(&why), qPrintable(why));
    f.click("helpButton");
    QCOMPARE(f.informed.size(), 1);
    QVERIFY(ended.isEmpty());
    QCOMPARE(f.button("searchButton")->text(), QStringLiteral("停止搜索"));
    f.click("searchButton"); // "停止搜索"
    QVERIFY(ended.wait(10000));
    QCOMPARE(f.button("searchButton")->text(), QStringLiteral("开始搜索"));
    QVERIFY(!f.tab->isSearching());
    QCOMPARE(f.boxes(), before);
}

void TestCustomTab::searchRefusedAt19StartsAt20_data()
{
    QTest::addColumn<int>("countdown");
    QTest::addColumn<bool>("starts");
    QTest::newRow("19 seconds") << 19 << false;
    QTest::newRow("20 seconds") << 20 << true;
}

void TestCustomTab::searchRefusedAt19StartsAt20()
{
    QFETCH(int, countdown);
    QFETCH(bool, starts);
    CustomTabFixture f;
    f.state.countdown = countdown;
    f.setSearchThatNeverEnds();
    QSignalSpy ended(f.tab.get(), &CustomTab::searchEnded);
    f.click("searchButton");
    QCOMPARE(f.tab->isSearching(), starts);
    if (!starts) {
        QCOMPARE(f.informed,
                 QStringList{QStringLiteral("即将开奖了，不能进行搜索算法，请在开奖完后再进行搜索，防止软件出错")});
        QCOMPARE(f.button("searchButton")->text(), QStringLiteral("开始搜索"));
        return;
    }
    QVERIFY(f.informed.isEmpty());
    QCOMPARE(f.button("searchButton")->text(), QStringLiteral("停止搜索"));
    f.click("searchButton");
    QVERIFY(ended.wait(10000));
}

void TestCustomTab::overdueDrawEndsTheSearch()
{
    CustomTabFixture f;
    f.setSearchThatNeverEnds();
    QSignalSpy ended(f.tab.get(), &CustomTab::searchEnded);
    f.click("searchButton");
    QVERIFY(f.tab->isSearching());
    f.state.setCountdown(-1);
    QVERIFY(ended.wait(10000));
    QCOMPARE(f.button("searchButton")->text(), QStringLiteral("开始搜索"));
    // After the draw a new search can start.
    f.state.setCountdown(290);
    f.click("searchButton");
    QVERIFY(f.tab->isSearching());
    f.click("searchButton");
    QVERIFY(ended.wait(10000));
}

void TestCustomTab::unreachableThresholdRefused_data()
{
    QTest::addColumn<int>("criterion");
    QTest::addColumn<int>("windowIndex");
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<bool>("starts");
    QTest::newRow("right 21 of 20") << 0 << 0 << "21" << false;
    QTest::newRow("right 20 of 20") << 0 << 0 << "20" << true;
    QTest::newRow("wrong 31 of 30") << 1 << 1 << "31" << false;
    QTest::newRow("win streak 101 of 100") << 2 << 8 << "101" << false;
    QTest::newRow("loss streak 1000 of 20") << 3 << 0 << "1000" << false;
}

void TestCustomTab::unreachableThresholdRefused()
{
    QFETCH(int, criterion);
    QFETCH(int, windowIndex);
    QFETCH(QString, threshold);
    QFETCH(bool, starts);
    CustomTabFixture f;
    f.child<QComboBox>("customWindowCombo")->setCurrentIndex(windowIndex);
    f.child<QComboBox>("searchCriterionCombo")->setCurrentIndex(criterion);
    f.child<QLineEdit>("searchThresholdEdit")->setText(threshold);
    QSignalSpy ended(f.tab.get(), &CustomTab::searchEnded);
    f.click("searchButton");
    QCOMPARE(f.tab->isSearching(), starts);
    if (!starts) {
        QCOMPARE(f.informed.size(), 1);
        QVERIFY2(f.informed.front().startsWith(QStringLiteral("搜索条件无法达到")), qPrintable(f.informed.front()));
        QVERIFY2(f.informed.front().contains(threshold), qPrintable(f.informed.front()));
        QCOMPARE(f.button("searchButton")->text(), QStringLiteral("开始搜索"));
        return;
    }
    QVERIFY(f.informed.isEmpty());
    f.click("searchButton");
    QVERIFY(ended.wait(10000));
}

void TestCustomTab::endedSearchSaysHowItEnded_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("said");
    QTest::newRow("found") << "found"
                           << "搜索结束：已找到满足条件的算法（尝试";
    QTest::newRow("stopped by the user") << "stop"
                                         << "搜索结束：已手动停止（尝试";
    QTest::newRow("ended by an overdue draw") << "overdue"
                                              << "搜索结束：开奖中，搜索已停止（尝试";
}

void TestCustomTab::endedSearchSaysHowItEnded()
{
    QFETCH(QString, how);
    QFETCH(QString, said);
    CustomTabFixture f;
    if (how == QLatin1String("found")) {
        f.child<QComboBox>("searchCriterionCombo")->setCurrentIndex(3); // 当前连挂
        f.child<QLineEdit>("searchThresholdEdit")->setText(QStringLiteral("0"));
    } else {
        f.setSearchThatNeverEnds();
    }
    QSignalSpy ended(f.tab.get(), &CustomTab::searchEnded);
    f.click("searchButton");
    QVERIFY(f.tab->isSearching() || !ended.isEmpty());
    if (how == QLatin1String("stop"))
        f.click("searchButton");
    else if (how == QLatin1String("overdue"))
        f.state.setCountdown(-1);
    QVERIFY(!ended.isEmpty() || ended.wait(10000));
    const QString text = f.child<QLabel>("searchOutcomeLabel")->text();
    QVERIFY2(text.startsWith(said), qPrintable(text));
    static const QRegularExpression attempts(QStringLiteral("（尝试([0-9]+)次）$"));
    const QRegularExpressionMatch match = attempts.match(text);
    QVERIFY2(match.hasMatch(), qPrintable(text));
    QVERIFY(match.captured(1).toLongLong() >= 1 || how != QLatin1String("found"));
}

// The tab going away (the window closes) stops a search that would never end on its own and
// waits for it: the destruction returns, and the search's last word reaches no one.
void TestCustomTab::closingEndsARunningSearch()
{
    CustomTabFixture f;
    f.setSearchThatNeverEnds();
    f.click("searchButton");
    QVERIFY(f.tab->isSearching());
    f.tab.reset();
    QCoreApplication::processEvents();
    QVERIFY(f.informed.isEmpty());
    QVERIFY(f.warned.isEmpty());
}

QTEST_MAIN(TestCustomTab)
#include "tst_customtab.moc"
