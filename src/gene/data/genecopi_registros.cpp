// Code change, attachment deletion, record copies and record snapshots.

#include "gene/data/genecopi_registros.h"

#include <QDateTime>
#include <QStringList>
#include <memory>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneclav_p.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"

namespace {

QString errorResultado(const std::exception& e) {
    return QStringLiteral("Error: ") + MotivoError(e);
}

// The database a dataset works on, or nullptr when it cannot be resolved.
TDatabase* baseDe(TTable* t) {
    try {
        return t->Database();
    } catch (const EDatabaseError&) {
        return nullptr;
    }
}

// Copies one field's value the way the record copies do: binary contents as
// they are, everything else through its text (a time of day as its time).
void copiarValor(TField* origen, TField* destino) {
    TCopiaCampos::Copiar(origen, destino, TCopiaCampos::ModoDe(origen, destino));
}

// Asks for (or takes from NuevaClave) the new value of each key field.
// False when one was refused or not given.
bool pedirNuevaClave(TModuloDatos* ModuloDatos, TTable* Tabla, int n, const QString& NuevaClave,
                     QStringList& valores) {
    for (int i = 0; i < n; ++i) {
        TField* f = Tabla->Fields()[i];
        QString valor;
        if (NuevaClave.isEmpty()) {
            const int siguiente = SiguienteCodigo(ModuloDatos, Tabla, 1, -1, -1);
            valor = siguiente == 0 ? f->AsString() : QString::number(siguiente);
            MensajePeticion(QStringLiteral("Introduzca el nuevo ") +
                                AbreviarTitulo(f->FieldName(), 1) + QStringLiteral(":"),
                            valor);
        } else {
            valor = ExtraerToken(i, NuevaClave, QStringLiteral(";"));
        }
        if (valor.isEmpty()) return false;
        if (f->DataType() == ftSmallint && valor.size() > 4) {
            MensajeAdvertencia(QStringLiteral(
                "¡El valor introducido es demasiado grande (el máximo es de 4 dígitos)!"));
            return false;
        }
        if (f->DataType() == ftInteger && valor.size() > 8) {
            MensajeAdvertencia(QStringLiteral(
                "¡El valor introducido es demasiado grande (el máximo es de 8 dígitos)!"));
            return false;
        }
        // A text the field would cut would be stored under another key, or
        // collide with an existing one.
        if (f->DataType() == ftString && f->Size() > 0 && valor.size() > f->Size()) {
            MensajeAdvertencia(
                QStringLiteral("¡El valor introducido es demasiado largo (el máximo es de %1 "
                               "caracteres)!")
                    .arg(f->Size()));
            return false;
        }
        valores << valor;
    }
    return true;
}

// Inserts into `cursor` a copy of `fuente`'s current record whose first
// fields take the new key values. Raises what the insert or the post raised.
void insertarCopia(TTable* cursor, TDataSet* fuente, const QStringList& clave) {
    cursor->Append();
    try {
        for (int i = 0; i < cursor->FieldCount(); ++i) {
            TField* destino = cursor->Fields()[i];
            if (i < clave.size()) {
                AsignarTextoCampo(destino, clave[i]);
                continue;
            }
            TField* origen = fuente->FindField(destino->FieldName());
            if (!origen || destino->FieldKind() != fkData) continue;
            try {
                copiarValor(origen, destino);
            } catch (const EDatabaseError&) {
                // A value the copy refuses stays as the new record has it.
            }
        }
        cursor->Post();
    } catch (...) {
        cursor->Cancel();
        throw;
    }
}

}  // namespace

// ---------------------------------------------------------------- code change

void CambiarCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, const QList<TTable*>& Detalles,
                   const QString& NuevaClave, QString& Resultado) {
    Resultado.clear();
    if (!Tabla || !Tabla->Active() || Tabla->IsEmpty()) {
        Resultado = QStringLiteral("Cancelada");
        return;
    }
    const int n = std::min(NumeroCamposClave(ModuloDatos, Tabla), Tabla->FieldCount());
    QStringList clave;
    if (n == 0 || !pedirNuevaClave(ModuloDatos, Tabla, n, NuevaClave, clave)) {
        Resultado = QStringLiteral("Cancelada");
        return;
    }

    TCursorEspera espera;
    TDatabase* base = baseDe(Tabla);
    TGuardaTransaccion transaccion(fGENEINIC, base);
    if (!transaccion.Activa()) {
        Resultado = QStringLiteral(
            "Error: ¡ La transacción no ha sido completada !. Inténtelo "
            "de nuevo.");
        return;
    }
    TTable segundo;
    segundo.setObjectName(QStringLiteral("SegundoCursor"));
    QVariantList nuevosValores;
    QStringList nombresClave;
    try {
        segundo.setDatabaseName(Tabla->DatabaseName());
        segundo.setTableName(Tabla->TableName());
        segundo.Open();
        insertarCopia(&segundo, Tabla, clave);
        for (int i = 0; i < n; ++i) {
            nombresClave << segundo.Fields()[i]->FieldName();
            nuevosValores << segundo.Fields()[i]->Value();
        }
        segundo.Close();
    } catch (const EAbort&) {
        Resultado = QStringLiteral("Cancelada");
        return;
    } catch (const std::exception& e) {
        // Also when the table could not be opened: nothing was written, and
        // the caller must not take that for a change done.
        Resultado = errorResultado(e);
        return;
    }

    for (TTable* detalle : Detalles) {
        if (!detalle) continue;
        detalle->DisableControls();
        std::unique_ptr<TTable> lineas;
        try {
            lineas = AbrirSegundoCursor(nullptr, detalle->DatabaseName(), detalle->TableName());
        } catch (const EDatabaseError&) {
        }
        if (!lineas) {
            MensajeAdvertencia(QStringLiteral("¡El registro está bloqueado por otro usuario!"));
            detalle->EnableControls();
            continue;
        }
        try {
            for (detalle->First(); !detalle->Eof(); detalle->Next())
                insertarCopia(lineas.get(), detalle, clave);
        } catch (const EAbort&) {
            detalle->EnableControls();
            Resultado = QStringLiteral("Cancelada");
            return;
        } catch (const std::exception& e) {
            // A line that is not copied undoes the whole change.
            detalle->EnableControls();
            Resultado = errorResultado(e);
            return;
        }
        detalle->EnableControls();
    }

    if (!transaccion.Confirmar()) {
        Resultado = QStringLiteral(
            "Error: ¡ La transacción no ha sido completada !. Inténtelo "
            "de nuevo.");
        return;
    }
    try {
        Tabla->Refresh();
        Tabla->Locate(nombresClave.join(QLatin1Char(';')), nuevosValores, 0);
    } catch (const EDatabaseError&) {
    }
}

// ---------------------------------------------------------------- attachments

bool EliminarRegistrosAsociados(TModuloDatos* ModuloDatos, TDataSet* Tabla) {
    if (!Tabla) return true;
    QString tabla;
    NombreTablaSinPropietario(ModuloDatos, NombreTablaDataSet(Tabla), tabla);
    QString clave;
    ClaveTablaRegistro(ModuloDatos, Tabla, clave);
    // A record with no key has nothing attached by key.
    if (tabla.isEmpty() || CamposClaveDataSet(ModuloDatos, Tabla).isEmpty()) return true;
    return EliminarRegistrosAsociadosClave(ModuloDatos, tabla, clave);
}

bool EliminarRegistrosAsociadosClave(TModuloDatos* ModuloDatos, const QString& tabla,
                                     const QString& clave) {
    const QString t = Entrecomillar(tabla);
    const QString k = Entrecomillar(clave);
    const struct {
        QString sql;
        const char* aviso;
    } sentencias[] = {
        {QStringLiteral("DELETE FROM RESPDOC   WHERE NombreTabla=") + t +
             QStringLiteral("    AND ((ClaveTabla = ") + k + QStringLiteral(") ") +
             QStringLiteral("      OR (ClaveTabla = ") + Entrecomillar(clave + QLatin1Char('|')) +
             QStringLiteral(")) "),
         "¡El registro de Responsabilidad Documental asociado no ha sido eliminado! Motivo: "},
        {QStringLiteral("DELETE FROM DOCUTRON   WHERE NombreTabla=") + t +
             QStringLiteral("  AND ClaveTabla=") + k,
         "¡El registro de Documentación Electrónica asociado no ha sido eliminado! Motivo: "},
        {QStringLiteral("DELETE FROM BLOBTAB   WHERE NombreTabla=") + t +
             QStringLiteral("  AND ClaveTabla=") + k,
         "¡El registro de BLOB asociado no ha sido eliminado! Motivo: "},
        {QStringLiteral("DELETE FROM GRANTAB   WHERE NombreTabla=") + t +
             QStringLiteral("  AND ClaveTabla=") + k,
         "¡El registro de G.A. de Tablas asociado no ha sido eliminado! Motivo: "},
        {QStringLiteral("DELETE FROM CONTACTO   WHERE NombreTabla=") + t +
             QStringLiteral("  AND CodigoTabla=") + k,
         "¡El registro de Contactos asociado no ha sido eliminado! Motivo: "},
        {QStringLiteral("DELETE FROM RELACION   WHERE (NombreTablaA=") + t +
             QStringLiteral("  AND ClaveTablaA=") + k + QStringLiteral(") OR ") +
             QStringLiteral("      (NombreTablaB=") + t +
             QStringLiteral("       AND ClaveTablaB=") + k + QStringLiteral(")"),
         "¡El registro de Relación asociado no ha sido eliminado! Motivo: "},
    };

    TGuardaTransaccion transaccion(fGENEINIC, fGENEINIC ? fGENEINIC->Database : nullptr);
    if (!transaccion.Activa()) {
        // Without a transaction a failure half-way could not be undone.
        MensajeAdvertencia(TextoTransaccionNoIniciada());
        return false;
    }
    for (const auto& s : sentencias) {
        QString r;
        EjecutarSQL(ModuloDatos, s.sql, QStringLiteral("Database"), QString(), r);
        if (!r.isEmpty()) {
            // A busy database or a lost connection has been told once; any
            // failure leaves every attachment in place (the guard undoes the
            // rest), so the others are not tried.
            if (!RechazoDicho()) MensajeAdvertencia(QString::fromUtf8(s.aviso) + r);
            return false;
        }
    }
    return transaccion.Confirmar();
}

// ---------------------------------------------------------------- record copies

TCopiaCampos::TCopiaCampos(TDataSet* Origen, TDataSet* Destino, const QString& Campos) {
    if (!Origen || !Destino) return;
    QList<TField*> origenes;
    if (Campos.isEmpty()) {
        for (TField* f : Origen->Fields()) origenes << f;
    } else {
        for (const QString& nombre : Campos.split(QLatin1Char(';'))) {
            if (nombre.isEmpty()) break;
            if (TField* f = Origen->FindField(nombre)) origenes << f;
        }
    }
    for (TField* origen : std::as_const(origenes)) {
        TField* destino = Destino->FindField(origen->FieldName());
        if (destino) pares_.append({origen, destino, ModoDe(origen, destino)});
    }
}

TCopiaCampos::Modo TCopiaCampos::ModoDe(TField* origen, TField* destino) {
    if ((origen->IsBlob() && !IsStringType(origen->DataType())) ||
        (EsCampoHora(origen) && EsCampoHora(destino)))
        return Valor;
    if (IsIntegerType(origen->DataType()) && IsIntegerType(destino->DataType())) return Entero;
    if (origen->DataType() == ftDateTime && destino->DataType() == ftDateTime) return FechaHora;
    return Texto;
}

void TCopiaCampos::Copiar(TField* origen, TField* destino, Modo modo) {
    const QVariant& v = origen->RawValue();
    switch (modo) {
        case Valor:
            destino->setValue(origen->Value());
            return;
        case Entero:
            // A number's text is read back as the same number; an empty one
            // clears the field.
            if (!v.isValid() || v.typeId() == QMetaType::Int) {
                destino->setValue(v);
                return;
            }
            break;
        case FechaHora:
            // A local time to the second, as dates are read, has a text that
            // gives it back when its year has four digits.
            if (v.typeId() == QMetaType::QDateTime) {
                const QDateTime d = v.toDateTime();
                const int ano = d.date().year();
                if (d.isValid() && d.timeSpec() == Qt::LocalTime && d.time().msec() == 0 &&
                    ano >= 1000 && ano <= 9999) {
                    destino->setValue(v);
                    return;
                }
            }
            break;
        case Texto:
            break;
    }
    destino->setAsString(origen->AsString());
}

void TCopiaCampos::Copiar() const {
    for (const Par& p : pares_) {
        try {
            Copiar(p.origen, p.destino, p.modo);
        } catch (const EDatabaseError&) {
            // A value the copy refuses stays as the destination has it.
        }
    }
}

void CopiarCampos(TModuloDatos*, TDataSet* Origen, TDataSet* Destino, const QString& Campos) {
    TCopiaCampos(Origen, Destino, Campos).Copiar();
}

bool CopiarRegistros(TModuloDatos* ModuloDatos, TTable* Origen, TTable* Destino,
                     const QString& Modo) {
    if (!Origen || !Destino) return false;
    const bool copiar = Modo.contains(QLatin1String("Copiar"));
    const bool agregar = copiar || Modo.contains(QLatin1String("Agregar"));
    const bool sustituir = Modo.contains(QLatin1String("Sustituir"));

    // "Copiar" replaces the target as one unit; the other modes keep every
    // record they manage to write, as they always did.
    std::unique_ptr<TGuardaTransaccion> transaccion;
    if (copiar) {
        transaccion = std::make_unique<TGuardaTransaccion>(fGENEINIC, baseDe(Destino));
        if (!transaccion->Activa()) return false;
        try {
            Destino->EmptyTable();
        } catch (const std::exception&) {
            return false;
        }
    }

    TCursorEspera espera;
    MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Copiando Registros"), QString());
    const QStringList campos = CamposClaveDataSet(ModuloDatos, Origen);
    const TCopiaCampos copia(Origen, Destino);
    bool correcto = true;
    Origen->DisableControls();
    try {
        for (Origen->First(); !Origen->Eof(); Origen->Next()) {
            QStringList textos;
            QVariantList valores;
            for (const QString& c : campos) {
                TField* f = Origen->FindField(c);
                textos << TextoCampoClave(f);
                valores << (f ? f->Value() : QVariant());
            }
            MostrarVentanaProgreso(QString(), QString(), textos.join(QLatin1Char(';')));

            if (sustituir && !campos.isEmpty()) {
                bool hecho = false;
                try {
                    if (Destino->Locate(campos.join(QLatin1Char(';')), valores, 0)) {
                        Destino->Edit();
                        copia.Copiar();
                        Destino->Post();
                        hecho = true;
                    }
                } catch (const std::exception&) {
                    if (Destino->State() == dsEdit) Destino->Cancel();
                }
                if (hecho) continue;
            }
            if (!agregar) continue;
            try {
                Destino->Append();
                copia.Copiar();
                Destino->Post();
            } catch (const std::exception&) {
                if (Destino->State() == dsInsert) Destino->Cancel();
                if (copiar) {
                    correcto = false;
                    break;
                }
            }
        }
    } catch (const std::exception&) {
        correcto = !copiar;
    }
    Origen->EnableControls();
    MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString());
    if (copiar) {
        if (!correcto || !transaccion->Confirmar()) {
            transaccion.reset();  // rolls the emptying back too
            try {
                Destino->Refresh();
            } catch (const EDatabaseError&) {
            }
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- snapshots

void ListaValoresRegistro(TModuloDatos*, TDataSet* DataSet, QVariant& Valores) {
    Valores = QVariant();
    if (!DataSet || DataSet->FieldCount() == 0) return;
    QVariantList lista;
    for (TField* f : DataSet->Fields())
        lista << QVariant(f->FieldName() + QLatin1Char('=') + TextoCampoClave(f));
    Valores = lista;
}

void BuscarValorLista(TModuloDatos*, const QString& Campo, const QVariant& Lista, QString& Valor) {
    Valor.clear();
    for (const QVariant& elemento : Lista.toList()) {
        const QString texto = elemento.toString();
        if (ExtraerToken(0, texto, QStringLiteral("=")).compare(Campo, Qt::CaseInsensitive) != 0)
            continue;
        Valor = ExtraerToken(1, texto, QStringLiteral("="));
        return;
    }
}
