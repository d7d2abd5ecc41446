// The option key of a main-menu item, by which rights and active programs
// are looked up.

#include "gene/session/generejilla.h"
#include "ui/form.h"
#include "ui/menus.h"

void ClaveOpcionMenu(TModuloDatos*, QObject* Componente, QString& Clave) {
    Clave.clear();
    auto* item = qobject_cast<TMenuItem*>(Componente);
    if (!item) return;
    if (item->Parent() && item->Parent()->Caption().isEmpty()) {
        Clave = item->Caption();
        return;
    }
    // The captions below the top-level entry down to the item.
    bool primero = true;
    for (TMenuItem* actual = item; actual->Parent() && !actual->Parent()->Caption().isEmpty();
         actual = actual->Parent()) {
        Clave = primero ? actual->Caption() : actual->Caption() + QLatin1Char(' ') + Clave;
        primero = false;
    }
}
