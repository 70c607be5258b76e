// The command-line companion prints exactly what the plan tabs show: for every bet code of both
// tabs, the rows of `tandor28-cli table` equal the texts and set colours read back from the grid
// after clicking the tab's real buttons, over the same saved feed.
#include "plantabfixture.h"

#include "../cli/cliruns.h"
#include "app/appstate.h"
#include "app/customtab.h"
#include "feed/feedparser.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;

namespace {

const QString kFeed = QStringLiteral(TANDOR28_TEST_DATA "/feeds/lucky28_120.txt");

QStringList cliTable(const QString& tab, int plan, int code)
{
    const clitest::CliRun result =
        clitest::run({QStringLiteral("table"), QStringLiteral("--file"), kFeed, QStringLiteral("--lottery"),
                      QStringLiteral("lucky28"), QStringLiteral("--tab"), tab, QStringLiteral("--plan"),
                      QString::number(plan), QStringLiteral("--bet"), QString::number(code)});
    if (result.status != cli::kExitOk)
        return {QStringLiteral("exit %1: %2").arg(result.status).arg(result.err)};
    return result.lines;
}

// Compares one CLI line with grid row `row`: all seven texts, and the colours the line names
// ("-" leaves the cell's colour as it was, so there is nothing to compare).
QString mismatch(const QTableView* grid, int row, const QString& line)
{
    const QStringList fields = line.split(u'\t');
    if (fields.size() != 12 || fields[0] != QString::number(row))
        return QStringLiteral("malformed line for row %1: %2").arg(row).arg(line);
    for (int column = 0; column < 7; ++column) {
        if (cellText(grid, row, column) != fields[1 + column])
            return QStringLiteral("row %1 column %2: window %3, cli %4")
                .arg(row)
                .arg(column)
                .arg(cellText(grid, row, column), fields[1 + column]);
    }
    for (int column = 3; column < 7; ++column) {
        const QString colour = fields[8 + column - 3];
        if (colour != QLatin1String("-") && cellTextColour(grid, row, column).toHex() != colour)
            return QStringLiteral("row %1 column %2 colour: window %3, cli %4")
                .arg(row)
                .arg(column)
                .arg(cellTextColour(grid, row, column).toHex(), colour);
    }
    return {};
}

} // namespace

class TestCliWindowTables : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameRows_data();
    void sameRows();
    void sameCustomRows_data();
    void sameCustomRows();
};

void TestCliWindowTables::sameRows_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    for (int code = 1; code <= 5; ++code)
        QTest::addRow("free plan 6, code %d", code) << QStringLiteral("free") << 6 << code;
    for (int code = 1; code <= 9; ++code)
        QTest::addRow("member plan 21, code %d", code) << QStringLiteral("member") << 21 << code;
}

void TestCliWindowTables::sameRows()
{
    QFETCH(QString, tab);
    QFETCH(int, plan);
    QFETCH(int, code);

    QFile file(kFeed);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<DrawHistory> history = parseDrawFeed(LotteryKind::Lucky28, file.readAll());
    QVERIFY(history);

    PlanTabsFixture f(0);
    f.state.history = *history;
    // The grids start as a fresh window has them: cells never written read empty.
    for (QTableView* table : {f.freeTable, f.memberTable}) {
        for (int row = 1; row < gridRowCount(table); ++row) {
            for (int column = 0; column < 7; ++column)
                setCellText(table, row, column, QString());
        }
    }
    const bool free = tab == QLatin1String("free");
    // The free tab first, as the refresh runs it.
    QTest::mouseClick(f.freeTab->betTypeButtons().at(0), Qt::LeftButton);
    if (free) {
        QTest::mouseClick(f.freeTab->betTypeButtons().at(code - 1), Qt::LeftButton);
        QTest::mousePress(f.freeTab->planButtons().at(plan - 1), Qt::LeftButton);
        QTest::mouseRelease(f.freeTab->planButtons().at(plan - 1), Qt::LeftButton);
    } else {
        QTest::mouseClick(f.memberTab->betTypeButtons().at(code - 1), Qt::LeftButton);
        QTest::mouseClick(f.memberTab->planButtons().at(plan - 1), Qt::LeftButton);
    }

    const QStringList lines = cliTable(tab, plan, code);
    QCOMPARE(lines.size(), kPeriodCount + 1);
    const QTableView* grid = free ? f.freeTable : f.memberTable;
    for (int row = 1; row <= kPeriodCount + 1; ++row) {
        const QString why = mismatch(grid, row, lines.at(row - 1));
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }
}

void TestCliWindowTables::sameCustomRows_data()
{
    QTest::addColumn<int>("code");
    for (int code = 1; code <= 8; ++code)
        QTest::addRow("custom code %d", code) << code;
}

void TestCliWindowTables::sameCustomRows()
{
    QFETCH(int, code);

    QFile file(kFeed);
    QVERIFY(file.open(QIODevice::ReadOnly));
    std::optional<DrawHistory> history = parseDrawFeed(LotteryKind::Lucky28, file.readAll());
    QVERIFY(history);

    QTemporaryDir dir;
    AppState state;
    state.setCountdown(200);
    CustomTab tab(state);
    tab.setStorePath(dir.filePath(QStringLiteral("TandorData.ini")));
    tab.setDialogs({[](const QString&) {}, [](const QString&) { return true; }, [](const QString&) {}});
    tab.loadAlgorithms();
    tab.show();
    // A new history as the refresh brings it, then the tab's own button.
    state.setHistory(std::move(*history));
    QTest::mouseClick(tab.betTypeButtons().at(code - 1), Qt::LeftButton);

    const QStringList lines = cliTable(QStringLiteral("custom"), 0, code);
    QCOMPARE(lines.size(), kPeriodCount + 1);
    for (int row = 1; row <= kPeriodCount + 1; ++row) {
        const QString why = mismatch(tab.table(), row, lines.at(row - 1));
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }
}

QTEST_MAIN(TestCliWindowTables)
#include "tst_cliwindowtables.moc"
