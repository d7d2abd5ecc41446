// Dataset services on the current record and on whole datasets: the record
// clipboard, distinct values, pick-list checks, deleting the shown records,
// listings and the record's electronic documents.

#include <QSet>
#include <memory>

#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneclav_p.h"
#include "gene/data/geneconv.h"
#include "gene/data/genecopi_registros.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"

TGanchoListaValoresControl GanchoListaValoresControl = nullptr;
TGanchoListadoProgramable GanchoListadoProgramable = nullptr;
TGanchoDocumentacionElectronica GanchoDocumentacionElectronica = nullptr;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The session's record clipboard: its text as callers receive it, and the
// values one by one, so that a value holding "|" goes back to its own field.
QString portapapeles;
QStringList valoresPortapapeles;
// Positions whose value was not copied because the user may not see the
// field: a paste leaves the target's field there as it is.
QSet<int> noCopiadosPortapapeles;

}  // namespace

// ---------------------------------------------------------------- clipboard

void ValoresRegistro(TModuloDatos*, TDataSet* DataSet, QString& Texto) {
    portapapeles.clear();
    valoresPortapapeles.clear();
    noCopiadosPortapapeles.clear();
    if (DataSet && !DataSet->IsEmpty())
        for (TField* f : DataSet->Fields()) {
            const bool oculto = CampoNoVisible(nullptr, f->FieldName());
            if (oculto) noCopiadosPortapapeles.insert(valoresPortapapeles.size());
            valoresPortapapeles << (oculto ? QString() : TextoCampoClave(f));
            portapapeles += valoresPortapapeles.last() + QLatin1Char('|');
        }
    Texto = portapapeles;
}

QString TextoNombreValorRegistro(TDataSet* DataSet, const QString& Opciones, bool Ocultos) {
    const bool formatoIni = Opciones.contains(QLatin1String("FormatoINI"));
    const bool soloTabla = Opciones.contains(QLatin1String("SoloCamposTabla"));
    const QString separador = formatoIni ? kCrLf : QStringLiteral("|");
    QString texto;
    if (DataSet && !DataSet->IsEmpty()) {
        for (TField* f : DataSet->Fields()) {
            if (soloTabla && f->FieldKind() == fkCalculated) continue;
            if (!Ocultos && CampoNoVisible(nullptr, f->FieldName())) continue;
            QString valor = TextoCampoClave(f);
            if (valor.isEmpty()) continue;
            if (formatoIni) {
                valor.replace(kCrLf, QString(QChar(0xB7)));
                valor.replace(QLatin1Char('\n'), QChar(0xB7));
                valor.replace(QLatin1Char('\r'), QChar(0xB7));
            }
            texto += f->FieldName() + QLatin1Char('=') + valor + separador;
        }
    }
    return texto;
}

void TextoRegistro(TModuloDatos*, TDataSet* DataSet, const QString& Opciones, QString& Texto) {
    // A field hidden from the user is left out, name and value: the text
    // goes wherever the user pastes it.
    portapapeles = TextoNombreValorRegistro(DataSet, Opciones, false);
    valoresPortapapeles = portapapeles.split(QLatin1Char('|'));
    noCopiadosPortapapeles.clear();
    Texto = portapapeles;
}

void AsignarValoresRegistro(TModuloDatos*, TDataSet* DataSet, const QString& Opciones) {
    if (!DataSet) return;
    bool editado = false;
    try {
        const TDataSetState estado = DataSet->State();
        editado = estado != dsEdit && estado != dsInsert && estado != dsSetKey;
        if (editado) DataSet->Edit();
    } catch (const EAbort&) {
        return;
    } catch (const EDatabaseError&) {
        return;
    }
    QSet<TField*> indices;
    if (Opciones.contains(QLatin1String("SinIndices")))
        if (auto* t = qobject_cast<TTable*>(DataSet))
            for (int i = 0; i < t->IndexFieldCount(); ++i) indices.insert(t->IndexFields(i));
    // All or nothing: a value the field does not take puts back the values
    // already pasted and is named to the user.
    QList<QPair<TField*, QVariant>> anteriores;
    for (int i = 0; i < DataSet->FieldCount() && i < valoresPortapapeles.size(); ++i) {
        TField* f = DataSet->Fields()[i];
        if (indices.contains(f) || f->FieldKind() != fkData || f->ReadOnly()) continue;
        if (noCopiadosPortapapeles.contains(i) || CampoNoVisible(nullptr, f->FieldName())) continue;
        const QVariant anterior = f->Value();
        try {
            AsignarTextoCampo(f, valoresPortapapeles[i]);
            anteriores << qMakePair(f, anterior);
        } catch (const std::exception&) {
            if (editado) {
                DataSet->Cancel();
            } else {
                for (auto it = anteriores.crbegin(); it != anteriores.crend(); ++it) try {
                        it->first->setValue(it->second);
                    } catch (const std::exception&) {
                    }
            }
            MensajeAdvertencia(QStringLiteral("¡ El valor '") + valoresPortapapeles[i] +
                               QStringLiteral("' no es válido para el campo ") + f->FieldName() +
                               QStringLiteral(" !. No se ha pegado ningún campo."));
            return;
        }
    }
}

// ---------------------------------------------------------------- distinct values

void ValoresDistintos(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Campos,
                      QString& Texto, const QString& ValoresExtra) {
    Texto.clear();
    TCursorEspera espera;
    std::unique_ptr<TQuery> propia;
    TQuery* q = ModuloDatos ? ModuloDatos->Query1 : nullptr;
    if (!q) {
        propia = std::make_unique<TQuery>();
        q = propia.get();
    }
    QString lista = Campos;
    lista.replace(QLatin1Char(';'), QLatin1String(", "));
    QStringList valores;
    try {
        q->Close();
        q->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        q->SQL().setText(QStringLiteral("SELECT DISTINCT ") + lista + QStringLiteral(" FROM ") +
                         NombreTabla + QStringLiteral("  ORDER BY ") + lista);
        if (AbrirConsulta(ModuloDatos, q, QString()) && q->FieldCount() > 0) {
            TField* f = q->Fields()[0];
            for (q->First(); !q->Eof(); q->Next()) valores << TextoCampoClave(f);
        }
        q->Close();
    } catch (const EDatabaseError&) {
        q->Close();
    }
    // An extra value is left out only when it is one of the lines already
    // there, not when it ends a longer value ("A" beside "BA").
    for (const QString& extra : ValoresExtra.split(QLatin1Char(';'))) {
        if (extra.isEmpty()) break;
        if (!valores.contains(extra)) valores << extra;
    }
    for (const QString& v : std::as_const(valores)) Texto += v + kCrLf;
}

bool DataSetVacio(TModuloDatos*, TDataSet* DataSet) {
    return !DataSet || DataSet->IsEmpty();
}

// ---------------------------------------------------------------- pick lists

bool ValidarValorLista(TModuloDatos*, QObject* Control, TField* Campo) {
    if (!Control || !Campo || !GanchoListaValoresControl) return true;
    TListaValoresControl datos;
    if (!GanchoListaValoresControl(Control, Campo, datos)) return true;
    const QString comillas = QStringLiteral("\"");
    switch (datos.clase) {
        case TListaValoresControl::Otro:
            return true;
        case TListaValoresControl::Rejilla:
            if (datos.elementos.contains(datos.texto)) return true;
            MensajeAdvertencia(QStringLiteral("¡ El valor ") + comillas + Campo->AsString() +
                               comillas + QStringLiteral(" de la columna ") + comillas +
                               datos.tituloColumna + comillas +
                               QStringLiteral(" no es correcto !"));
            return false;
        case TListaValoresControl::Combo:
            if (datos.elementos.contains(datos.texto)) return true;
            MensajeAdvertencia(QStringLiteral("¡El valor ") + comillas + Campo->AsString() +
                               comillas + QStringLiteral(" del campo ") + comillas +
                               SepararPalabras(Campo->FieldName()) + comillas +
                               QStringLiteral(" no es correcto!"));
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- deleting the shown records

bool EliminarRegistrosActivos(TModuloDatos*, TDataSet* DataSet) {
    if (!DataSet) return true;
    if (MensajeConfirmacion(QStringLiteral(
            "¡Esta opción elimina todos los registros activos de la tabla!. Puede utilizar "
            "previamente la opción Filtrar Registros del Menú Ficha para limitar los registros a "
            "eliminar. ¿Desea continuar?")) != QLatin1String("SI"))
        return true;
    if (MensajeConfirmacion(QStringLiteral("¿Está Vd. realmente seguro de querer eliminar todos "
                                           "los registros activos de la tabla?")) !=
        QLatin1String("SI"))
        return true;
    TCursorEspera espera;
    try {
        DataSet->First();
        while (!DataSet->Eof() && !DataSet->IsEmpty()) DataSet->Delete();
    } catch (const EAbort&) {
        // Whoever aborted has said why.
        return false;
    } catch (const std::exception& e) {
        MensajeAdvertencia(TextoRechazo(e, QStringLiteral("¡Imposible eliminar el registro!")));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- listings

void ListarTabla(TModuloDatos* ModuloDatos, TDataSet* DataSet) {
    if (!GanchoListadoProgramable) return;
    if (auto* t = qobject_cast<TTable*>(DataSet)) {
        GanchoListadoProgramable(t, QString(), QString(), QString(), false);
        return;
    }
    auto* q = qobject_cast<TQuery*>(DataSet);
    if (!q) return;
    const QString nombre = NombreTablaSQL(q->SQL().Text());
    if (nombre.isEmpty()) return;
    QString fisico;
    NombreTablaFisico(ModuloDatos, nombre, fisico);
    TTable tabla;
    tabla.setObjectName(QStringLiteral("TablaListado"));
    try {
        tabla.setDatabaseName(q->DatabaseName());
        tabla.setTableName(fisico);
        tabla.Open();
    } catch (const EDatabaseError& e) {
        MensajeAdvertencia(QStringLiteral("TRADUCIR: ") + e.Message());
        return;
    }
    GanchoListadoProgramable(&tabla, QString(), QString(), QString(), false);
}

namespace {

// The temporary table of a dataset's listing: its fields, in order.
QString definicionTablaListado(TDataSet* DataSet) {
    QString definicion = QStringLiteral("Tabla Temporal") + kCrLf;
    int i = 1;
    for (TField* f : DataSet->Fields()) {
        definicion += QStringLiteral("/C/") + QString::number(i++) + QLatin1Char('/') +
                      f->FieldName() + QLatin1Char('/') + NombreTipoCampo(f->DataType()) +
                      QLatin1Char('/') + QString::number(HasSize(f->DataType()) ? f->Size() : 0) +
                      QLatin1Char('/') + kCrLf;
    }
    return definicion;
}

}  // namespace

void ListarDataSet(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Prefijo,
                   const QString& Titulo) {
    if (!DataSet || !DataSet->Active()) {
        MensajeInformacion(QStringLiteral("No hay registros para listar"));
        return;
    }
    if (DataSet->RecordCount() > 1000 &&
        MensajeConfirmacion(QStringLiteral(
            "El informe tiene más de 1000 registros. ¿Desea continuar?")) == QLatin1String("NO"))
        return;

    // The copy belongs to the listed dataset's owner, so that its temporary
    // name is that owner's.
    TTable temporal(DataSet);
    temporal.setObjectName(QStringLiteral("TablaTemporalListado"));
    {
        TCursorEspera espera;
        if (!fGENEINIC ||
            !CrearTablaEstructura(fGENEINIC, &temporal, definicionTablaListado(DataSet), -1))
            return;
        if (!temporal.Active()) {
            try {
                temporal.DeleteTable();
            } catch (const EDatabaseError&) {
            }
            return;
        }
        const TBookmark marca = DataSet->GetBookmark();
        DataSet->DisableControls();
        try {
            for (DataSet->First(); !DataSet->Eof(); DataSet->Next()) {
                try {
                    temporal.Append();
                    CopiarCampos(ModuloDatos, DataSet, &temporal, QString());
                    temporal.Post();
                } catch (const EDatabaseError&) {
                    temporal.Cancel();
                }
            }
            if (DataSet->BookmarkValid(marca)) DataSet->GotoBookmark(marca);
        } catch (const EDatabaseError&) {
        }
        DataSet->EnableControls();
        RefrescarDataSet(ModuloDatos, &temporal, QString());
    }
    if (GanchoListadoProgramable)
        GanchoListadoProgramable(&temporal, Prefijo, Titulo, QStringLiteral("CamposOrdenadosOFF"),
                                 true);
    temporal.Close();
    try {
        temporal.DeleteTable();
    } catch (const EDatabaseError&) {
    }
}

// ---------------------------------------------------------------- electronic documents

void DocumentacionElectronica(TModuloDatos*, const QString& NombreTabla, const QString& Clave,
                              const TRowAsRead& Registro) {
    if (GanchoDocumentacionElectronica)
        GanchoDocumentacionElectronica(NombreTabla, Clave, Registro);
}

bool TieneDocumentacionElectronica(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                                   const QString& Clave) {
    QString tabla;
    NombreTablaSinPropietario(ModuloDatos, NombreTabla, tabla);
    QString r;
    EjecutarSQL(ModuloDatos,
                QStringLiteral("SELECT NombreTabla FROM DOCUTRON   WHERE NombreTabla = ") +
                    Entrecomillar(tabla) + QStringLiteral("    AND ClaveTabla = ") +
                    Entrecomillar(Clave),
                QStringLiteral("Database"), QString(), r);
    return !r.isEmpty() && !r.startsWith(QLatin1String("Error."));
}
