#pragma once
// Form classes by name: each form unit registers its class, and the
// framework creates forms knowing only the class name ("TfRRHHPERS"), so
// that lower layers never include the units of the forms they open.

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

class QWidget;
class TForm;

using TFormFactory = std::function<TForm*(QWidget* owner)>;

// A later registration of the same name replaces the earlier one.
void RegisterFormClass(const QString& className, TFormFactory factory);
template <class F>
void RegisterFormClass(const QString& className) {
    RegisterFormClass(className, [](QWidget* owner) -> TForm* { return new F(owner); });
}
bool FormClassRegistered(const QString& className);
QStringList RegisteredFormClasses();

// Raised by CreateForm for a class nobody registered.
class EClassNotFound : public std::runtime_error {
public:
    explicit EClassNotFound(const QString& className);
};

// Builds a form of the registered class and runs its creation protocol
// (TForm::DoCreate). Errors of the form's own creation reach the caller; a
// form whose OnCreate fails is freed.
TForm* CreateForm(const QString& className, QWidget* owner = nullptr);
