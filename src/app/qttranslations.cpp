#include "app/qttranslations.h"

#include "app/applog.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace tandor28 {

QLocale qtTranslationLocale(const QLocale& system)
{
    if (system.language() == QLocale::Chinese && system.script() == QLocale::TraditionalChineseScript)
        return QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
    return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
}

QString installQtTranslations(QCoreApplication& app, const QLocale& system)
{
    const QLocale locale = qtTranslationLocale(system);
    const QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    // Owned by the application, so the texts stay until it ends.
    auto* translator = new QTranslator(&app);
    for (const QString& folder : folders) {
        if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            qCInfo(lcApp) << "Qt translations:" << translator->filePath();
            return translator->filePath();
        }
    }
    qCWarning(lcApp) << "no Qt translations for" << locale.name() << "in" << folders;
    delete translator;
    return {};
}

} // namespace tandor28
