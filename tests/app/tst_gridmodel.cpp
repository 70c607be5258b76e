#include "app/gridlooks.h"
#include "app/gridmodel.h"
#include "model/draw.h"

#include <QBrush>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace tandor28;

namespace {

std::optional<Rgb> brushColour(const QVariant& value)
{
    if (!value.isValid())
        return std::nullopt;
    const QColor colour = value.value<QBrush>().color();
    return Rgb{std::uint8_t(colour.red()), std::uint8_t(colour.green()), std::uint8_t(colour.blue())};
}

} // namespace

class TestGridModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void looksByPlace_data();
    void looksByPlace();
    void writtenColourTakesThePlaceOfTheLook();
    void addedRowsKeepTheLook();
    void cellsOutsideAreIgnored();
};

void TestGridModel::looksByPlace_data()
{
    // A cell of a grid with the look applied: the roles a view paints it with.
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<std::optional<Rgb>>("foreground");
    QTest::addColumn<std::optional<Rgb>>("background");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("centred");
    using O = std::optional<Rgb>;
    // clang-format off
    QTest::newRow("draw table header")              << "draw"       << 0   << 1 << O(kWhite)       << O(kHeaderGrey) << false << true;
    QTest::newRow("draw table first draw")          << "draw"       << 1   << 0 << O(kSpecialBlue) << O()            << true  << true;
    QTest::newRow("draw table last draw")           << "draw"       << 100 << 1 << O(kSpecialBlue) << O()            << true  << true;
    QTest::newRow("prediction header")              << "prediction" << 0   << 6 << O(kWhite)       << O(kHeaderGrey) << false << true;
    QTest::newRow("prediction next issue, judged")  << "prediction" << 1   << 5 << O(kSpecialBlue) << O()            << true  << true;
    QTest::newRow("prediction draw column")         << "prediction" << 2   << 2 << O(kSpecialBlue) << O()            << true  << true;
    QTest::newRow("prediction judged column")       << "prediction" << 2   << 3 << O()             << O()            << true  << true;
    QTest::newRow("prediction last judged row")     << "prediction" << 101 << 6 << O()             << O()            << true  << true;
    QTest::newRow("trend header")                   << "trend"      << 0   << 8 << O(kWhite)       << O(kHeaderGrey) << false << true;
    QTest::newRow("trend data")                     << "trend"      << 7   << 4 << O()             << O()            << false << true;
    // clang-format on
}

void TestGridModel::looksByPlace()
{
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(std::optional<Rgb>, foreground);
    QFETCH(std::optional<Rgb>, background);
    QFETCH(bool, bold);
    QFETCH(bool, centred);

    QTableView view;
    const bool draws = grid == QLatin1String("draw");
    const bool trend = grid == QLatin1String("trend");
    auto* model =
        new GridModel(draws || trend ? kPeriodCount + 1 : kPeriodCount + 2,
                      draws ? kDrawTableColumns : (trend ? kTrendTableColumns : kPredictionTableColumns), &view);
    setUpGrid(&view, model);
    if (draws)
        styleDrawTable(&view);
    else if (trend)
        styleTrendTable(&view);
    else
        stylePredictionTable(&view);

    const QModelIndex index = model->index(row, column);
    QVERIFY(index.isValid());
    QCOMPARE(brushColour(model->data(index, Qt::ForegroundRole)), foreground);
    QCOMPARE(brushColour(model->data(index, Qt::BackgroundRole)), background);
    QCOMPARE(cellFont(&view, row, column).bold(), bold);
    if (bold) {
        // Bold data rows are 17 pixels high, character cell included.
        const QFont font = cellFont(&view, row, column);
        QVERIFY(font.pixelSize() > 0);
        QVERIFY(QFontMetrics(font).height() <= kDataRowFontHeight);
    } else {
        QVERIFY(!model->data(index, Qt::FontRole).isValid());
    }
    QCOMPARE(model->data(index, Qt::TextAlignmentRole).isValid(), centred);
    if (centred)
        QCOMPARE(cellAlignment(&view, row, column), Qt::Alignment(Qt::AlignCenter));
}

void TestGridModel::writtenColourTakesThePlaceOfTheLook()
{
    QTableView view;
    auto* model = new GridModel(kPeriodCount + 2, kPredictionTableColumns, &view);
    setUpGrid(&view, model);
    stylePredictionTable(&view);
    QSignalSpy changed(model, &GridModel::dataChanged);
    setCellTextColour(&view, 1, 4, kHitRed);
    setCellTextColour(&view, 5, 3, kMissGreen);
    setCellBackground(&view, 5, 0, kHitRed);
    setCellText(&view, 5, 6, QStringLiteral("大小对"));
    QCOMPARE(changed.size(), 4);
    QCOMPARE(changed.at(3).at(0).value<QModelIndex>(), model->index(5, 6));
    QCOMPARE(cellTextColour(&view, 1, 4), kHitRed);
    QCOMPARE(cellTextColour(&view, 1, 5), kSpecialBlue);
    QCOMPARE(cellTextColour(&view, 5, 3), kMissGreen);
    QCOMPARE(cellTextColour(&view, 5, 4), kBlack);
    QCOMPARE(cellBackground(&view, 5, 0), kHitRed);
    QCOMPARE(cellTextColour(&view, 5, 0), kSpecialBlue);
    QCOMPARE(model->data(model->index(5, 6), Qt::DisplayRole).toString(), QStringLiteral("大小对"));
    // Writing what the cell holds already announces nothing.
    setCellText(&view, 5, 6, QStringLiteral("大小对"));
    QCOMPARE(changed.size(), 4);
}

void TestGridModel::addedRowsKeepTheLook()
{
    QTableView view;
    auto* model = new GridModel(3, kDrawTableColumns, &view);
    setUpGrid(&view, model);
    styleDrawTable(&view);
    setCellText(&view, 2, 0, QStringLiteral("kept"));
    setGridRowCount(&view, 101);
    QCOMPARE(gridRowCount(&view), 101);
    QCOMPARE(cellText(&view, 2, 0), QStringLiteral("kept"));
    QCOMPARE(cellTextColour(&view, 100, 1), kSpecialBlue);
    QVERIFY(cellFont(&view, 100, 1).bold());
    // The header row's height is the view's and survives the new rows.
    QCOMPARE(view.rowHeight(0), 28);
    setGridRowCount(&view, 2);
    setGridRowCount(&view, 3);
    QCOMPARE(cellText(&view, 2, 0), QString());
}

void TestGridModel::cellsOutsideAreIgnored()
{
    QTableView view;
    auto* model = new GridModel(4, 3, &view);
    setUpGrid(&view, model);
    QSignalSpy changed(model, &GridModel::dataChanged);
    for (const QPoint& cell : {QPoint(-1, 0), QPoint(0, -1), QPoint(4, 0), QPoint(0, 3)}) {
        setCellText(&view, cell.x(), cell.y(), QStringLiteral("x"));
        setCellTextColour(&view, cell.x(), cell.y(), kHitRed);
        QCOMPARE(cellText(&view, cell.x(), cell.y()), QString());
        QCOMPARE(cellTextColour(&view, cell.x(), cell.y()), kBlack);
        QCOMPARE(cellBackground(&view, cell.x(), cell.y()), kWhite);
    }
    QCOMPARE(changed.size(), 0);
    // Without a look, a cell is black on white in the grid's own font, not centred.
    QCOMPARE(cellTextColour(&view, 1, 1), kBlack);
    QCOMPARE(cellAlignment(&view, 1, 1), Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
}

QTEST_MAIN(TestGridModel)
#include "tst_gridmodel.moc"
