// Child windows of the main window, and the data under data controls.

#include "gene/session/generejilla.h"

#include <QDateTime>
#include <QPointer>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/field.h"
#include "gene/data/geneclav.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneform_p.h"
#include "gene/data/genelog.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/registry.h"

namespace {

// The name a child is known by: its Name up to the first "_" (a second
// instance of a form is named "fX_1").
QString NombreBase(const QString& nombre) {
    const int i = nombre.indexOf(QLatin1Char('_'));
    return i < 0 ? nombre : nombre.left(i);
}

TForm* BuscarHijo(const QString& nombre, bool base) {
    TForm* principal = MainForm();
    if (!principal) return nullptr;
    for (int i = principal->MDIChildCount() - 1; i >= 0; --i) {
        TForm* hijo = principal->MDIChildren(i);
        if (!hijo) continue;
        const QString n = base ? NombreBase(hijo->Name()) : hijo->Name();
        if (n == nombre) return hijo;
    }
    return nullptr;
}

// Another window on screen keeps the name: the new one is named name + "_"
// + n. A closed window waiting to be freed does not count.
void NombrarUnico(TForm* forma, const QString& nombre) {
    if (forma->Name().isEmpty()) forma->setName(nombre);
    const QString propio = forma->Name();
    auto ocupado = [forma](const QString& n) {
        for (TForm* otra : ApplicationForms())
            if (otra != forma && otra->Name() == n && otra->Visible()) return true;
        return false;
    };
    if (!ocupado(propio)) return;
    for (int i = 1;; ++i) {
        const QString candidato = propio + QLatin1Char('_') + QString::number(i);
        if (!ocupado(candidato)) {
            forma->setName(candidato);
            return;
        }
    }
}

TForm* Crear(const QString& clase, const QString& nombre) {
    TForm* forma = CreateForm(clase);
    if (forma) NombrarUnico(forma, nombre);
    return forma;
}

}  // namespace

void AbrirFormulario(TModuloDatos* ModuloDatos, const QString& Clase, TForm*& Formulario,
                     const QString& Modo, const QString& NombreFormulario) {
    TForm* abierto = BuscarHijo(NombreFormulario, true);
    if (!abierto && !FormClassRegistered(Clase)) {
        // A window whose unit has not been built yet opens nothing.
        Formulario = nullptr;
        return;
    }
    QString accion;
    // One that is listing or waiting is not replaced: it comes forward.
    if (Modo.contains(QLatin1String("Create")) && !(abierto && abierto->Busy())) {
        if (abierto) abierto->Close();
        if (!FormClassRegistered(Clase)) {
            Formulario = nullptr;
            return;
        }
        Formulario = Crear(Clase, NombreFormulario);
        accion = QStringLiteral("Create");
    } else if (abierto) {
        Formulario = abierto;
        if (abierto->WindowState() != wsNormal) {
            abierto->setWindowState(wsNormal);
            abierto->SetFocus();
            accion = QStringLiteral("Restore");
        } else {
            abierto->Show();
            accion = QStringLiteral("Show");
        }
    } else {
        Formulario = Crear(Clase, NombreFormulario);
        accion = QStringLiteral("Create");
    }
    if (Formulario) RegistrarUso(ModuloDatos, Formulario, accion);
}

bool FormularioAbierto(TModuloDatos*, const QString& Nombre) {
    return BuscarHijo(Nombre, false) != nullptr;
}

TForm* BuscarFormularioAbierto(const QString& Nombre) {
    return BuscarHijo(Nombre, false);
}

void BorrarCampo(TModuloDatos*, TField* Campo) {
    if (!Campo) return;
    TDataSet* ds = Campo->DataSet();
    if (ds && ds->State() == dsBrowse) ds->Edit();
    const TFieldType t = Campo->DataType();
    if (IsIntegerType(t) || t == ftFloat || t == ftCurrency) {
        Campo->setAsInteger(0);
    } else if (IsDateTimeType(t)) {
        // The framework's empty date, a stored value, not NULL.
        Campo->setAsDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    } else if (t == ftString || t == ftMemo || t == ftFmtMemo) {
        Campo->setAsString(QString());
    } else if (t == ftBlob || t == ftGraphic) {
        Campo->Clear();
    }
}

bool EsCampoHora(TModuloDatos*, const TField* Campo) {
    return EsCampoHora(Campo);
}
