#include "rrhh/rrqrlope.h"

#include <QSqlQuery>
#include <algorithm>
#include <limits>

#include "db/field.h"

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "gene/data/genegrup.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/session/sesion.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "rrhh/historiapuestos.h"
#include "ui/controls.h"

const char* const TfRRQRLOPE::kDefinicionTemporal =
    "Tabla Temporal\r\n"
    "/C/1/GrupoAnalisis1/ftString/40/\r\n"
    "/C/2/CodigoOperario/ftInteger/0/\r\n"
    "/C/3/Nombre/ftString/40/\r\n"
    "/C/4/Descripcion1/ftString/40/\r\n"
    "/C/5/GrupoAnalisis2/ftString/40/\r\n"
    "/C/6/Descripcion2/ftString/40/\r\n"
    "/C/7/GrupoAnalisis3/ftString/40/\r\n"
    "/C/8/Descripcion3/ftString/40/\r\n"
    "/C/9/GrupoAnalisis4/ftString/40/\r\n"
    "/C/10/Descripcion4/ftString/40/\r\n"
    "/C/11/GrupoAnalisis5/ftString/40/\r\n"
    "/C/12/Descripcion5/ftString/40/\r\n"
    "/I/1/<Primary>/GrupoAnalisis1;CodigoOperario/";

const TfRRQRLOPE::Entidad TfRRQRLOPE::kOperarios = {"fRRQRLOPE",
                                                    "Personal",
                                                    "PERSONAL",
                                                    "CodigoOperario",
                                                    "CodigoOperario",
                                                    "Listado de Operarios. ",
                                                    "Listado de Operarios",
                                                    "Operario: ",
                                                    true};

TfRRQRLOPE::TfRRQRLOPE(TListBox* Lista, TForm* Dialogo, QWidget* owner)
    : TfRRQRLOPE(kOperarios, Lista, Dialogo, owner) {}

TfRRQRLOPE::TfRRQRLOPE(const Entidad& e, TListBox* Lista, TForm* Dialogo, QWidget* owner)
    : TInformeListado(owner, QLatin1String(e.formulario)), ListaCategorias(Lista), entidad_(e) {
    QuickReport->Page.Orientation = poLandscape;
    Personal = TablaFuente(QLatin1String(e.componente), QLatin1String(e.tabla));
    PageHeader->setHeight(80);
    Detail = DetalleColumnas({
        {"Operario", e.columnaCodigo, "QRDBText1", 60},
        // A name of its 40 capitals whole; the groups' columns give up what
        // it takes, within the landscape page.
        {"Nombre", "Nombre", "QRDBText2", 280},
        {"Selección 1", "Descripcion1", "QRDBText3", 138},
        {"Selección 2", "Descripcion2", "QRDBText4", 138},
        {"Selección 3", "Descripcion3", "QRDBText5", 138},
        {"Selección 4", "Descripcion4", "QRDBText6", 138},
        {"Selección 5", "Descripcion5", "QRDBText7", 138},
    });
    for (int i = 0; i < 5; ++i) {
        TituloCategoria[i] =
            qobject_cast<TQRLabel*>(FindComponent(QStringLiteral("QRLabel%1").arg(i + 3)));
    }
    QString definicion = QLatin1String(kDefinicionTemporal);
    definicion.replace(QStringLiteral("CodigoOperario"), QLatin1String(e.columnaCodigo));
    Preparar(Dialogo, definicion, true);
}

QString TfRRQRLOPE::TituloListado() const {
    return QLatin1String(entidad_.titulo);
}

TDataSet* TfRRQRLOPE::TablaControl() const {
    return Personal;
}

QString TfRRQRLOPE::PuestoActual(const QString& NombreTabla, int Codigo) {
    // Prepared once for the connection: the listing asks for every person of
    // the range.
    TDatabase* base = Personal->Database();
    try {
        QSqlQuery& q = base->Prepared(DialectoActual().limitSelect(
            QStringLiteral("SELECT CodigoPuesto FROM HPUESTO WHERE NombreTabla = ? AND "
                           "CodigoOperario = ? ORDER BY ") +
                OrdenHistoriaPuestos(true),
            1));
        q.bindValue(0, NombreTabla);
        q.bindValue(1, Codigo);
        base->Run(q);
        const QString puesto = q.next() ? q.value(0).toString() : QString();
        q.finish();
        return puesto;
    } catch (const EDatabaseError&) {
        return QString();
    }
}

void TfRRQRLOPE::GruposCategorias(const QString& NombreTabla, const QString& Clave,
                                  const QStringList& Categorias, QString* Grupos,
                                  QString* Descripciones) {
    TDatabase* base = Personal->Database();
    try {
        QSqlQuery& q = base->Prepared(QStringLiteral(
            "SELECT GRANALIS.CategoriaGrupo, GRANALIS.Codigo, GRANALIS.Descripcion FROM GRANTAB, "
            "GRANALIS WHERE GRANTAB.GrupoAnalisis = GRANALIS.Codigo AND GRANTAB.NombreTabla = ? "
            "AND GRANTAB.ClaveTabla = ? ORDER BY GRANALIS.Codigo"));
        q.bindValue(0, NombreTabla);
        q.bindValue(1, Clave);
        base->Run(q);
        while (q.next()) {
            const QString categoria = q.value(0).toString();
            // A category chosen twice fills both its columns; of two groups of
            // one category the one read last stays.
            for (int i = 0; i < Categorias.size(); ++i) {
                if (Categorias[i] != categoria) continue;
                Grupos[i] = q.value(1).toString();
                Descripciones[i] = q.value(2).toString();
            }
        }
        q.finish();
    } catch (const EDatabaseError&) {
    }
}

void TfRRQRLOPE::RellenarTemporal() {
    const QString tabla = QLatin1String(entidad_.tabla);
    QStringList categorias = ListaCategorias ? ListaCategorias->Items() : QStringList();
    // Only the first five chosen categories have a column and a title.
    categorias = categorias.mid(0, 5);
    for (int i = 0; i < 5; ++i) TituloCategoria[i]->setCaption(categorias.value(i));

    // Only the code and the name of each person of the range are read, all
    // of them before the per-person statements run (a result left open would
    // not survive the next statement on every engine).
    QList<QPair<int, QString>> personas;
    // The range within what the code column holds: a small-integer column
    // compared with 99999 is refused by one engine, and every code it holds
    // lies inside the range anyway.
    const QString codigo = QLatin1String(entidad_.campoCodigo);
    const bool corto = Personal->FieldByName(codigo)->DataType() == ftSmallint;
    const int minimo = corto ? -32768 : std::numeric_limits<int>::min();
    const int maximo = corto ? 32767 : std::numeric_limits<int>::max();
    if (DesdeOperario <= maximo && HastaOperario >= minimo) {
        TDatabase* base = Personal->Database();
        QSqlQuery& q =
            base->Prepared(QStringLiteral("SELECT ") + codigo + QStringLiteral(", Nombre FROM ") +
                           tabla + QStringLiteral(" WHERE ") + codigo +
                           QStringLiteral(" BETWEEN ? AND ? ORDER BY ") + codigo);
        q.bindValue(0, std::max(DesdeOperario, minimo));
        q.bindValue(1, std::min(HastaOperario, maximo));
        base->Run(q);
        while (q.next()) personas.append({q.value(0).toInt(), q.value(1).toString()});
        q.finish();
    }
    TField* tCodigo = Temporal->FieldByName(QLatin1String(entidad_.columnaCodigo));
    TField* tNombre = Temporal->FieldByName(QStringLiteral("Nombre"));
    TField* tGrupo1 = Temporal->FieldByName(QStringLiteral("GrupoAnalisis1"));
    TField* tDescripcion[5];
    for (int i = 0; i < 5; ++i)
        tDescripcion[i] = Temporal->FieldByName(QStringLiteral("Descripcion%1").arg(i + 1));

    TRellenoListado relleno(Temporal, QLatin1String(entidad_.progreso));
    const QString textoProgreso = QLatin1String(entidad_.textoProgreso);
    for (const auto& [codigo, nombre] : personas) {
        const QString clave = QString::number(codigo);
        if (!relleno.Seguir(textoProgreso + clave)) break;
        if (entidad_.contratos) {
            if (!OperarioSeleccionado(codigo, Activos, NoActivos, RangosGruposAnalisis)) continue;
        } else if (!FiltroGruposAnalisis(ModuloDatos, tabla, clave, QString(),
                                         RangosGruposAnalisis)) {
            continue;
        }
        const QString puesto = PuestoActual(tabla, codigo);
        if (QString::compare(puesto, DesdePuesto) < 0 || QString::compare(puesto, HastaPuesto) > 0)
            continue;

        QString grupos[5], descripciones[5];
        if (!categorias.isEmpty())
            GruposCategorias(tabla, clave, categorias, grupos, descripciones);
        relleno.Anadir();
        // The first group orders the rows and does not print. No group is an
        // empty text (never NULL, which a key refuses on one engine), so those
        // rows come first and export as empty cells.
        tGrupo1->setAsString(grupos[0].isEmpty() ? QStringLiteral("") : grupos[0]);
        tCodigo->setAsInteger(codigo);
        tNombre->setAsString(nombre);
        for (int i = 0; i < 5; ++i) tDescripcion[i]->setAsString(descripciones[i]);
        relleno.Grabar();
    }
}
