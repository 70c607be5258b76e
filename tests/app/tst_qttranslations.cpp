#include "app/qttranslations.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

using namespace tandor28;

class TestQtTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void localeFollowsTheSystem_data();
    void localeFollowsTheSystem();
    void standardButtonsSpeakChinese_data();
    void standardButtonsSpeakChinese();
};

void TestQtTranslations::localeFollowsTheSystem_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("simplified Chinese")    << "zh_CN" << "zh_CN";
    QTest::newRow("Singapore, simplified") << "zh_SG" << "zh_CN";
    QTest::newRow("Taiwan, traditional")   << "zh_TW" << "zh_TW";
    QTest::newRow("Hong Kong, traditional") << "zh_HK" << "zh_TW";
    QTest::newRow("English system")        << "en_US" << "zh_CN";
    QTest::newRow("German system")         << "de_DE" << "zh_CN";
    QTest::newRow("C locale")              << "C"     << "zh_CN";
    // clang-format on
}

void TestQtTranslations::localeFollowsTheSystem()
{
    QFETCH(QString, system);
    QFETCH(QString, expected);
    QCOMPARE(qtTranslationLocale(QLocale(system)).name(), expected);
}

void TestQtTranslations::standardButtonsSpeakChinese_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("colourTitle");
    // clang-format off
    QTest::newRow("English system: simplified") << "en_US" << "确定" << "取消" << "选择颜色";
    QTest::newRow("Taiwan: traditional")        << "zh_TW" << "確定" << "取消" << "選擇顏色";
    // clang-format on
}

void TestQtTranslations::standardButtonsSpeakChinese()
{
    QFETCH(QString, system);
    QFETCH(QString, ok);
    QFETCH(QString, cancel);
    QFETCH(QString, colourTitle);
    const QString loaded = installQtTranslations(*QCoreApplication::instance(), QLocale(system));
    QVERIFY2(!loaded.isEmpty(), "qtbase translations not found (Debian qt6-translations-l10n)");
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    QCOMPARE(box.button(QDialogButtonBox::Ok)->text(), ok);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), cancel);
    QVERIFY(box.button(QDialogButtonBox::Yes)->text().startsWith(QStringLiteral("是")));
    QColorDialog dialog;
    QCOMPARE(dialog.windowTitle(), colourTitle);
    // The next row installs its own; the newest installed translator answers first.
}

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
