// The candidates master's processes: the candidate delete with everything
// that hangs on him, the hire into the personnel file, the photo, the
// electronic documents and the card listing.

#include <QDate>
#include <QVariantMap>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "rrhh/rrhhcand.h"
#include "rrhh/rrhhcand_p.h"
#include "rrhh/rrhhfoto.h"
#include "rrhh/rrhhpers_p.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/registry.h"

using namespace rrhhcand;
using namespace rrhhpers;

namespace {

const char* const kTransaccionIncompleta =
    "¡ La transacción no ha sido completada !. Inténtelo de nuevo.";

// A table shared by the two files whose rows of one owner move to the other:
// the fields holding owner name and key, and the key's suffix ("|" for the
// responsibility rows of a record's documents).
struct Traspaso {
    const char* tabla;
    const char* campoNombre;
    const char* campoClave;
    bool numerica;
    const char* sufijo;
};

// Everything a candidate has in the shared tables, which the hire hands to
// the employee: histories, groups, photo and attachments.
const Traspaso kTraspasos[] = {
    {"HPUESTO", "NombreTabla", "CodigoOperario", true, ""},
    {"HFORMACI", "NombreTabla", "CodigoOperario", true, ""},
    {"GRANTAB", "NombreTabla", "ClaveTabla", false, ""},
    {"BLOBTAB", "NombreTabla", "ClaveTabla", false, ""},
    {"DOCUTRON", "NombreTabla", "ClaveTabla", false, ""},
    {"CONTACTO", "NombreTabla", "CodigoTabla", false, ""},
    {"RESPDOC", "NombreTabla", "ClaveTabla", false, ""},
    {"RESPDOC", "NombreTabla", "ClaveTabla", false, "|"},
    {"RELACION", "NombreTablaA", "ClaveTablaA", false, ""},
    {"RELACION", "NombreTablaB", "ClaveTablaB", false, ""},
};

// Moves the candidate's rows under the employee code, each table in one
// statement that sets owner and key together, so that the rows of a
// candidate whose code equals the employee code stay his. Raises on failure.
void MoverAPersonal(int Candidato, int Operario) {
    TDatabase* base = fGENEINIC ? fGENEINIC->Database : nullptr;
    for (const Traspaso& t : kTraspasos) {
        // A table not made yet holds nothing.
        if (base && !base->TableExists(QLatin1String(t.tabla))) continue;
        const QString sufijo = QLatin1String(t.sufijo);
        const QVariant nuevo =
            t.numerica ? QVariant(Operario) : QVariant(QString::number(Operario) + sufijo);
        const QVariant viejo =
            t.numerica ? QVariant(Candidato) : QVariant(QString::number(Candidato) + sufijo);
        const QString nombre = QLatin1String(t.campoNombre);
        const QString clave = QLatin1String(t.campoClave);
        EjecutarConParametros(QStringLiteral("UPDATE ") + QLatin1String(t.tabla) +
                                  QStringLiteral(" SET ") + clave + QStringLiteral(" = :n, ") +
                                  nombre + QStringLiteral(" = :p WHERE ") + clave +
                                  QStringLiteral(" = :c AND ") + nombre + QStringLiteral(" = :t"),
                              {nuevo, QLatin1String(kPersonal), viejo, QLatin1String(kCandidat)});
    }
}

}  // namespace

bool TfRRHHCAND::EliminarDependientes(int Codigo) {
    const QList<TablaLineasAlta> adjuntos = {
        {QStringLiteral("GRANTAB"), QStringLiteral("ClaveTabla"),
         QStringLiteral("NombreTabla='CANDIDAT'")},
        {QStringLiteral("BLOBTAB"), QStringLiteral("ClaveTabla"),
         QStringLiteral("NombreTabla='CANDIDAT'")},
    };
    // The attachment tables keep the code as text.
    for (const TablaLineasAlta& a : adjuntos) {
        QString r;
        EjecutarSQL(ModuloDatos,
                    QStringLiteral("DELETE FROM ") + a.Tabla + QStringLiteral("   WHERE ") +
                        a.Condicion + QStringLiteral("  AND ") + a.CampoClave +
                        QStringLiteral(" = ") + Entrecomillar(QString::number(Codigo)),
                    QStringLiteral("Database"), QString(), r);
        if (r.startsWith(QLatin1String("Error."))) return false;
    }
    return EliminarHistoricos(HistoricosCandidato(), Codigo);
}

void TfRRHHCAND::Table1BeforeDelete(TDataSet*) {
    // A hire deletes the candidate inside its own transaction.
    BorrarConDependientes(Table1->FieldByName(QStringLiteral("Codigo"))->AsInteger(),
                          BorrandoCandidato, Contratando);
}

void TfRRHHCAND::EnviarFichaPersonalClick(QObject*) {
    if (!Table1->Active() || Table1->IsEmpty() || Table1->State() != dsBrowse) return;
    // The prompt waits in a loop of its own: the window is not closed under it.
    TBusyForm ocupado(this);
    if (Table1->FieldByName(QStringLiteral("Codigo"))->IsNull()) return;
    int propuesto = 1;
    try {
        propuesto =
            ValorConParametros(QStringLiteral("SELECT Max(CodigoOperario) FROM PERSONAL"), {})
                .toInt() +
            1;
    } catch (const std::exception& e) {
        AvisoSentencia(e);
        return;
    }
    const QString respuesta = MensajePeticion(QStringLiteral("Introduzca su Código de Operario:"),
                                              QString::number(propuesto))
                                  .trimmed();
    if (respuesta.isEmpty()) return;
    // Rows are moved before the employee is written: a code that is no
    // employee code is refused before anything changes.
    bool ok = false;
    const int operario = respuesta.toInt(&ok);
    if (!ok || operario < 1 || operario > 9999) {
        MensajeAdvertencia(QString::fromUtf8(textosmaestro::kRango9999));
        return;
    }
    Contratar(operario);
}

bool TfRRHHCAND::Contratar(int Operario) {
    if (!Table1->Active() || Table1->IsEmpty() || Table1->State() != dsBrowse) return false;
    const int candidato = Table1->FieldByName(QStringLiteral("Codigo"))->AsInteger();
    // The employee is a new record of the personnel file: his code must be
    // free and is held while the hire runs; whatever an interrupted entry
    // left under it goes first.
    TAltaMaestro alta(QLatin1String(kPersonal), QStringLiteral("CodigoOperario"),
                      QLatin1String(kPersonal), HistoricosOperario());
    if (!alta.Reservar(Operario)) {
        if (alta.EnUso())
            MensajeAdvertencia(QStringLiteral("¡ El código ") + QString::number(Operario) +
                               QStringLiteral(" está en uso por otra alta en curso !."));
        return false;
    }
    if (ErrorEnTransaccion || TransaccionIniciada) {
        MensajeAdvertencia(QStringLiteral(
            "¡ Hay otra transacción activa en curso !. Debe finalizarla previamente."));
        return false;
    }
    if (!IniciarTransaccion(fGENEINIC)) {
        MensajeAdvertencia(TextoTransaccionNoIniciada());
        return false;
    }
    Contratando = true;
    bool correcto = true;
    try {
        MoverAPersonal(candidato, Operario);
        Personal->Append();
        Personal->FieldByName(QStringLiteral("CodigoOperario"))->setAsInteger(Operario);
        // Sex and country are kept too: the candidate's record goes.
        for (const char* campo :
             {"Nombre", "Domicilio", "CodigoPostal", "Localidad", "Provincia", "DNI", "Telefono",
              "EstadoCivil", "Sexo", "CodigoPais", "NumeroAfiliacion", "TipoCotizacion",
              "TipoOperario", "GrupoCotizacion", "PuestoTrabajo", "Instrucciones"}) {
            TField* origen = Table1->FieldByName(QLatin1String(campo));
            if (!origen->IsNull())
                Personal->FieldByName(QLatin1String(campo))->setAsString(origen->AsString());
        }
        TField* nacimiento = Table1->FieldByName(QStringLiteral("FechaNacimiento"));
        if (!nacimiento->IsNull())
            Personal->FieldByName(QStringLiteral("FechaNacimiento"))
                ->setAsDateTime(nacimiento->AsDateTime());
        Personal->FieldByName(QStringLiteral("NumeroHijos"))
            ->setAsInteger(Table1->FieldByName(QStringLiteral("NumeroHijos"))->AsInteger());
        Personal->Post();
        Table1->Delete();
    } catch (const EAbort&) {
        correcto = false;
    } catch (const std::exception& e) {
        correcto = false;
        AvisoSentencia(e);
    }
    Contratando = false;
    if (correcto) correcto = ConfirmarTransaccion(fGENEINIC);
    if (correcto) return true;
    if (Personal->State() != dsBrowse) Personal->Cancel();
    CancelarTransaccion(fGENEINIC);
    MensajeAdvertencia(QString::fromUtf8(kTransaccionIncompleta));
    // Everything is back as it was before the hire: the form shows it so.
    Table1->Refresh();
    RefrescarLineas(LineasFicha());
    Table1AfterScroll(Table1);
    return false;
}

QString TfRRHHCAND::ClaveFoto() {
    if (Table1->State() == dsInsert) return QString::number(CodigoActual());
    if (!Table1->Active() || Table1->IsEmpty()) return QString();
    QString clave;
    ClaveRegistro(ModuloDatos, Table1, clave);
    clave.replace(QLatin1Char(';'), QLatin1Char('|'));
    if (clave.endsWith(QLatin1Char('|'))) clave.chop(1);
    return clave;
}

void TfRRHHCAND::pbDocumentacionElectronicaClick(QObject*) {
    if (!ReservarCodigoAlta()) return;
    const QString clave = ClaveFoto();
    if (clave.isEmpty()) return;
    DocumentacionElectronica(ModuloDatos, QLatin1String(kCandidat), clave, Table1->RowAsRead());
    pbDocumentacionElectronica->setIcon(
        TieneDocumentacionElectronica(ModuloDatos, QLatin1String(kCandidat), clave)
            ? GlifoConDocumentacion()
            : GlifoSinDocumentacion());
}

void TfRRHHCAND::DocumentacionElectronica1Click(QObject* Sender) {
    pbDocumentacionElectronicaClick(Sender);
}

void TfRRHHCAND::ImprimirConDialogoClick(QObject*) {
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual,
                        QStringLiteral("Listado de Fichas de Candidatos"), nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) return;
    if (!Table1->Active() || Table1->IsEmpty()) return;
    if (!FormClassRegistered(QStringLiteral("TfRRHHLFCA"))) return;
    TForm* f = nullptr;
    AbrirFormulario(ModuloDatos, QStringLiteral("TfRRHHLFCA"), f, QStringLiteral("Create"),
                    QStringLiteral("fRRHHLFCA"));
    if (!f) return;
    const int codigo = Table1->FieldByName(QStringLiteral("Codigo"))->AsInteger();
    f->setProperty("RangoListado", QVariantMap{{QStringLiteral("Desde"), codigo},
                                               {QStringLiteral("Hasta"), codigo},
                                               {QStringLiteral("ImprimirDirectamente"), false}});
}
