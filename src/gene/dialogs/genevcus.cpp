#include "gene/dialogs/genevcus.h"

#include <memory>

#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/dialogs/genevlis.h"
#include "gene/data/mensajes.h"
#include "ui/grids.h"

namespace {

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

QString NombreTablaDataSet(TDataSet* DataSet) {
    if (auto* t = qobject_cast<TTable*>(DataSet)) return t->TableName();
    if (auto* q = qobject_cast<TQuery*>(DataSet)) return NombreTablaSQL(q->SQL().Text());
    return QString();
}

QString Fisico(const QString& Nombre) {
    QString r;
    NombreTablaFisico(Modulo(), Nombre, r);
    return r;
}

// Closes the user-fields table however the editor ends.
struct CierreCamposUsuario {
    TTable* tabla;
    ~CierreCamposUsuario() {
        if (tabla) tabla->Close();
    }
};

}  // namespace

void VisorCamposUsuario(TfGENEINIC* f, TDataSet* DataSet) {
    if (!f || !DataSet || !DataSet->Active() || DataSet->IsEmpty()) return;
    if (qobject_cast<TModuloDatos*>(DataSet->parent())) return;
    const QString nombreTabla = NombreTablaDataSet(DataSet);
    auto* origen = qobject_cast<TDBDataSet*>(DataSet);
    if (nombreTabla.isEmpty() || !origen) return;

    auto tabla = std::make_unique<TTable>();
    tabla->setDatabaseName(origen->DatabaseName());
    tabla->setTableName(Fisico(nombreTabla));
    try {
        tabla->Open();
    } catch (const std::exception&) {
        return;
    }
    // The record is found by the names of its primary-key fields, so that a
    // dataset whose fields come in another order never edits another record.
    const int primario = tabla->IndexDefs().PrimaryIndex();
    if (primario < 0) return;
    const QStringList camposClave = tabla->IndexDefs()[primario].FieldList();
    if (camposClave.isEmpty() || camposClave.size() > 6) return;
    QVariantList clave;
    for (const QString& nombre : camposClave) {
        TField* campo = DataSet->FindField(nombre);
        if (!campo) return;
        clave << campo->Value();
    }
    if (!tabla->FindKey(clave)) return;

    auto* camposUsuario = f->findChild<TTable*>(QStringLiteral("CamposUsuario"));
    if (!camposUsuario || !AbrirTabla(f, camposUsuario)) return;
    CierreCamposUsuario cierre{camposUsuario};

    struct Fila {
        QString campo;
        QString valor;
    };
    QList<Fila> filas;
    const QString fisico = Fisico(tabla->TableName());
    for (camposUsuario->First(); !camposUsuario->Eof(); camposUsuario->Next()) {
        const QString nombre =
            camposUsuario->FieldByName(QStringLiteral("NombreCampo"))->AsString();
        if (Fisico(camposUsuario->FieldByName(QStringLiteral("NombreTabla"))->AsString()) != fisico)
            continue;
        if (CampoNoVisible(Modulo(), nombre)) continue;
        TField* campo = tabla->FindField(nombre);
        if (!campo) continue;
        const QString tipo = camposUsuario->FieldByName(QStringLiteral("TipoCampo"))->AsString();
        QString valor;
        if (tipo == QLatin1String("Fecha") && nombre.toUpper().contains(QLatin1String("HORA"))) {
            valor = campo->IsNull() ? QString() : TimeToStr(campo->AsDateTime().time());
        } else if (tipo == QLatin1String("Numerico")) {
            QString formato = PlantillaNumericaStd;
            FormatoCampoImporte(f, nombre, formato);
            valor = campo->IsNull() ? QString() : FormatFloat(formato, campo->AsFloat());
            // A template of "#" shows a stored 0 as nothing, which "&Grabar"
            // would write back as NULL: the value is shown as it is.
            if (valor.isEmpty() && !campo->IsNull()) valor = FloatToStr(campo->AsFloat());
        } else {
            valor = campo->AsString();
        }
        filas << Fila{nombre, valor};
    }
    if (filas.isEmpty()) return;

    ModoVisorLista = QStringLiteral("VisorCamposUsuario");
    std::unique_ptr<TfGENEVLIS> visor(NewForm<TfGENEVLIS>());
    visor->PrepararRejilla(int(filas.size()));
    for (int i = 0; i < filas.size(); ++i)
        visor->AsignarFila(i + 1, filas[i].campo, filas[i].valor);
    if (visor->ShowModal() != mrOk) return;

    // Only what the user changed is written: a value shown through a template
    // or as a time alone would come back rounded or without its date.
    QList<int> cambiadas;
    for (int r = 1; r < visor->StringGrid->RowCount(); ++r) {
        const Fila* mostrada = r <= filas.size() ? &filas[r - 1] : nullptr;
        if (mostrada && mostrada->campo == visor->StringGrid->Cells(0, r) &&
            mostrada->valor == visor->StringGrid->Cells(1, r))
            continue;
        cambiadas << r;
    }
    if (cambiadas.isEmpty()) return;

    try {
        tabla->Edit();
        for (int r : std::as_const(cambiadas)) {
            const QString nombre = visor->StringGrid->Cells(0, r);
            QString valor = visor->StringGrid->Cells(1, r);
            TField* campo = tabla->FindField(nombre);
            if (!campo) continue;
            if (IsFloatType(campo->DataType())) valor.remove(QLatin1Char('.'));
            try {
                campo->setText(valor);
            } catch (const EAbort&) {
                throw;
            } catch (const std::exception&) {
                MensajeAdvertencia(QStringLiteral("¡El valor ") + AbreviarTitulo(nombre, 1) +
                                   QStringLiteral(" = ") + valor +
                                   QStringLiteral(" es incorrecto!"));
            }
        }
        tabla->Post();
    } catch (const std::exception&) {
        if (tabla->State() == dsEdit) tabla->Cancel();
        MensajeAdvertencia(QStringLiteral(
            "¡Imposible modificar el registro. Es posible que esté siendo modificado por otro "
            "usuario.!"));
        return;
    }
    // The form's copy of the row is read again, or its next save would take
    // the editor's write for another user's change and be refused.
    if (DataSet->State() != dsBrowse) return;
    try {
        DataSet->Refresh();
    } catch (const std::exception&) {
        // The stored row is right; the form shows it at its next refresh.
    }
}
