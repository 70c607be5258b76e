#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace tandor28 {

// The locale of Qt's own texts (standard buttons, the colour dialog): the system's when it is a
// Chinese the program speaks (traditional script: zh_TW), otherwise simplified Chinese, the
// language of all its windows.
[[nodiscard]] QLocale qtTranslationLocale(const QLocale& system);

// Loads Qt's qtbase translations for that locale from Qt's translations folder, or from
// "translations" beside the executable (a deployed Windows folder), and installs them. Returns
// the file loaded, or the empty text when none was found (Qt's texts then stay English).
QString installQtTranslations(QCoreApplication& app, const QLocale& system = QLocale::system());

} // namespace tandor28
