#include "dialogs/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace lum {

namespace {

// The application object owns the translator, found again by this name.
constexpr const char* kTranslatorName = "lum-qt-translations";

}  // namespace

QString QtLocaleNameOf(int langId) {
    switch (langId) {
        case 1041:
            return QStringLiteral("ja");
        default:
            return {};
    }
}

void ApplyQtTranslations(int langId) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    // Its destructor takes it out of the application's translators.
    delete app->findChild<QTranslator*>(QLatin1String(kTranslatorName), Qt::FindDirectChildrenOnly);
    const QString locale = QtLocaleNameOf(langId);
    if (locale.isEmpty()) {
        return;
    }
    auto* translator = new QTranslator(app);
    translator->setObjectName(QLatin1String(kTranslatorName));
    // "qt_ja" names the Qt modules' catalogues (qtbase_ja, ...) and loads them all.
    if (!translator->load(QLocale(locale), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
}

}  // namespace lum
