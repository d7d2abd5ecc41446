#include "ui/registry.h"

#include <QHash>

#include "ui/form.h"

namespace {

QHash<QString, TFormFactory>& factories() {
    static QHash<QString, TFormFactory> table;
    return table;
}

}  // namespace

void RegisterFormClass(const QString& className, TFormFactory factory) {
    if (factory)
        factories().insert(className, std::move(factory));
    else
        factories().remove(className);
}

bool FormClassRegistered(const QString& className) {
    return factories().contains(className);
}

QStringList RegisteredFormClasses() {
    QStringList names = factories().keys();
    names.sort();
    return names;
}

EClassNotFound::EClassNotFound(const QString& className)
    : std::runtime_error(QStringLiteral("Class %1 not found").arg(className).toStdString()) {}

TForm* CreateForm(const QString& className, QWidget* owner) {
    const auto it = factories().constFind(className);
    if (it == factories().constEnd()) throw EClassNotFound(className);
    TForm* form = (*it)(owner);
    if (!form) throw EClassNotFound(className);
    try {
        form->DoCreate();
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}
