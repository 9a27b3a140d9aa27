#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace morvik {

std::unique_ptr<QTranslator> InstallQtGerman() {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

}  // namespace morvik
