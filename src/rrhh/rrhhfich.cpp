#include "rrhh/rrhhfich.h"

#include <QHash>
#include <QSet>
#include <QVariant>
#include <memory>

#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genegrup.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/print/genelimp.h"
#include "gene/session/sesion.h"
#include "nomina/nomimodu.h"
#include "rrhh/historiapuestos.h"
#include "rrhh/rrqrlist.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The columns both sheets share, after the code; the personnel sheet adds
// NumeroMatricula and CategoriaProfesional. NumeroCopias carries the copies
// typed in the dialog to the engine.
QString Columnas(TTipoFicha Tipo) {
    const bool personal = Tipo == TTipoFicha::Personal;
    QStringList c = {QStringLiteral("CodigoOperario/ftInteger/0/*")};
    if (personal) c << QStringLiteral("NumeroMatricula/ftInteger/0/");
    c << QStringLiteral("NombreOperario/ftString/40/") << QStringLiteral("Nombre/ftString/40/")
      << QStringLiteral("PrimerApellido/ftString/40/")
      << QStringLiteral("SegundoApellido/ftString/40/")
      << QStringLiteral("FechaNacimiento/ftString/10/")
      << QStringLiteral("LugarNacimiento/ftString/40/")
      << QStringLiteral("EstadoCivil/ftString/40/") << QStringLiteral("NumeroHijos/ftInteger/0/")
      << QStringLiteral("Telefono/ftString/40/") << QStringLiteral("FechaIngreso/ftString/10/")
      << QStringLiteral("DNI/ftString/15/") << QStringLiteral("NumeroAfiliacion/ftString/12/")
      << QStringLiteral("Domicilio/ftString/40/") << QStringLiteral("CodigoPostal/ftString/20/")
      << QStringLiteral("Localidad/ftString/40/") << QStringLiteral("Provincia/ftString/40/")
      << QStringLiteral("CodigoContrato/ftInteger/0/") << QStringLiteral("Seccion/ftString/40/")
      << QStringLiteral("GrupoCotizacion/ftInteger/0/");
    if (personal) c << QStringLiteral("CategoriaProfesional/ftString/40/");
    c << QStringLiteral("PuestoTrabajo/ftString/40/")
      << QStringLiteral("FechaOcupacionPuesto/ftString/10/")
      << QStringLiteral("OtrosPuestos/ftMemo/10/") << QStringLiteral("Formacion/ftMemo/10/")
      << QStringLiteral("OtrasEmpresas/ftMemo/10/") << QStringLiteral("NumeroCopias/ftSmallInt/0/");
    return c.join(QLatin1Char('\n'));
}

QString Definicion(const QString& Titulo, const QStringList& Columnas, const QString& Clave) {
    QString d = Titulo + kCrLf;
    for (int i = 0; i < Columnas.size(); ++i)
        d += QStringLiteral("/C/%1/").arg(i + 1) + Columnas[i] + kCrLf;
    return d + QStringLiteral("/I/1/<Primary>/") + Clave + QStringLiteral("/") + kCrLf;
}

// A stored date as the sheets print it: a missing or zero date (30/12/1899
// or before) prints empty.
QString TextoFecha(TField* Campo) {
    if (!Campo || Campo->IsNull()) return QString();
    const QDate d = Campo->AsDateTime().date();
    if (!d.isValid() || d <= QDate(1899, 12, 30)) return QString();
    return DateToStr(d).left(10);
}

// The piece Pieza (from 0) of Texto split at Separador; a missing piece is empty.
QString Pieza(const QString& Texto, QChar Separador, int Pieza) {
    const QStringList p = Texto.split(Separador);
    return Pieza < p.size() ? p[Pieza] : QString();
}

// A statement on the company database read as a whole; false (nothing shown)
// when it fails, so that only the columns it fills stay empty.
bool Leer(TQuery& q, const QString& sql) {
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.setRequestLive(false);
    q.SQL().setText(sql);
    try {
        return AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open Silencio"));
    } catch (...) {
        return false;
    }
}

// The description of a key, cached: the sheets of a range share few
// categories and departments.
class TDescripciones {
public:
    explicit TDescripciones(const QString& Tabla) : tabla_(Tabla) {}
    // The description ("" also when the key is not found).
    QString operator()(const QString& Clave) { return buscar(Clave).second; }
    // Whether the key was found, and its description (maybe empty).
    std::pair<bool, QString> buscar(const QString& Clave) {
        auto it = cache_.constFind(Clave);
        if (it != cache_.constEnd()) return *it;
        QVariant datos;
        BuscarDatosClave(ModuloDatos, tabla_, CadenaClave(Clave), datos,
                         QStringLiteral("Descripcion"));
        std::pair<bool, QString> d{false, QString()};
        if (datos.isValid() && !datos.isNull()) {
            const QVariantList l = datos.toList();
            d = {true, l.isEmpty() ? datos.toString() : l.first().toString()};
        }
        cache_.insert(Clave, d);
        return d;
    }

private:
    QString tabla_;
    QHash<QString, std::pair<bool, QString>> cache_;
};

struct TPuestosFicha {
    QString Actual;
    QString Fecha;
    QString Otros;
};

struct TContratoFicha {
    QString Fecha;
    int Codigo = 0;
};

}  // namespace

QString DefinicionFichas(TTipoFicha Tipo) {
    return Definicion(QStringLiteral("Tabla Temporal"), Columnas(Tipo).split(QLatin1Char('\n')),
                      QStringLiteral("CodigoOperario"));
}

void RellenarFichas(TTipoFicha Tipo, TTable* Temporal, const TSeleccionFichas& Seleccion) {
    const bool personal = Tipo == TTipoFicha::Personal;
    const QString tabla = personal ? QStringLiteral("PERSONAL") : QStringLiteral("CANDIDAT");
    const QString campoCodigo =
        personal ? QStringLiteral("CodigoOperario") : QStringLiteral("Codigo");
    const int desde = Seleccion.DesdeOperario, hasta = Seleccion.HastaOperario;
    const QString rango = QStringLiteral(" BETWEEN %1 AND %2").arg(desde).arg(hasta);
    const QString historia = QStringLiteral(" WHERE NombreTabla = ") + Entrecomillar(tabla) +
                             QStringLiteral(" AND CodigoOperario") + rango;

    // The histories of the whole range are read once, each in its order, and
    // handed out per employee: a statement per employee and table would cost
    // most of the fill.
    QHash<int, TContratoFicha> contratos;
    QSet<int> enVigor;
    const bool filtrarVigor = personal && Seleccion.Activos != Seleccion.NoActivos;
    if (personal) {
        TQuery q;
        if (Leer(q, QStringLiteral("SELECT CodigoOperario, CodigoContrato, FechaInicioContrato "
                                   "FROM HCONTRAT WHERE CodigoOperario") +
                        rango + QStringLiteral(" ORDER BY CodigoOperario, NumeroContrato"))) {
            TField *o = q.FieldByName(QStringLiteral("CodigoOperario")),
                   *c = q.FieldByName(QStringLiteral("CodigoContrato")),
                   *f = q.FieldByName(QStringLiteral("FechaInicioContrato"));
            for (; !q.Eof(); q.Next())
                if (!contratos.contains(o->AsInteger()))
                    contratos.insert(o->AsInteger(), {TextoFecha(f), c->AsInteger()});
        }
        if (filtrarVigor && MDNominas) enVigor = MDNominas->OperariosConContratoEnVigor();
    }
    QHash<QString, QString> secciones;
    {
        TQuery q;
        if (Leer(q, QStringLiteral("SELECT ClaveTabla, GrupoAnalisis FROM GRANTAB WHERE "
                                   "NombreTabla = ") +
                        Entrecomillar(tabla) +
                        QStringLiteral(" AND GrupoAnalisis >= 'DEP' AND GrupoAnalisis <= 'DEPZ' "
                                       "ORDER BY ClaveTabla, GrupoAnalisis"))) {
            TField *c = q.FieldByName(QStringLiteral("ClaveTabla")),
                   *g = q.FieldByName(QStringLiteral("GrupoAnalisis"));
            for (; !q.Eof(); q.Next())
                if (!secciones.contains(c->AsString()))
                    secciones.insert(c->AsString(), g->AsString());
        }
    }
    QHash<int, TPuestosFicha> puestos;
    {
        TQuery q;
        if (Leer(q, QStringLiteral("SELECT CodigoOperario, CodigoPuesto, Descripcion, FechaInicio "
                                   "FROM HPUESTO") +
                        historia + QStringLiteral(" ORDER BY CodigoOperario, ") +
                        OrdenHistoriaPuestos(false))) {
            TField *o = q.FieldByName(QStringLiteral("CodigoOperario")),
                   *c = q.FieldByName(QStringLiteral("CodigoPuesto")),
                   *d = q.FieldByName(QStringLiteral("Descripcion")),
                   *f = q.FieldByName(QStringLiteral("FechaInicio"));
            // Oldest first: each new row makes the one before it an earlier position.
            for (; !q.Eof(); q.Next()) {
                TPuestosFicha& p = puestos[o->AsInteger()];
                if (!p.Actual.isNull()) p.Otros += p.Actual + kCrLf;
                p.Actual = c->AsString() + QStringLiteral(" - ") + d->AsString();
                p.Fecha = TextoFecha(f);
            }
        }
    }
    QHash<int, QString> formacion;
    {
        TQuery q;
        if (Leer(q, QStringLiteral("SELECT CodigoOperario, Descripcion FROM HFORMACI") + historia +
                        QStringLiteral(" ORDER BY CodigoOperario, Linea"))) {
            TField *o = q.FieldByName(QStringLiteral("CodigoOperario")),
                   *d = q.FieldByName(QStringLiteral("Descripcion"));
            for (; !q.Eof(); q.Next()) formacion[o->AsInteger()] += kCrLf + d->AsString();
        }
    }

    TDescripciones categorias(QStringLiteral("CATEGORI"));
    TDescripciones grupos(QStringLiteral("GRANALIS"));
    TQuery fichas;
    if (!Leer(fichas, QStringLiteral("SELECT * FROM ") + tabla + QStringLiteral(" WHERE ") +
                          campoCodigo + rango + QStringLiteral(" ORDER BY ") + campoCodigo))
        return;
    auto origen = [&fichas](const char* n) { return fichas.FindField(QLatin1String(n)); };
    auto destino = [Temporal](const char* n) { return Temporal->FieldByName(QLatin1String(n)); };
    TField* oCodigo = fichas.FieldByName(campoCodigo);
    TField* oNombre = origen("Nombre");
    const QList<const char*> copiados = {
        "EstadoCivil", "NumeroHijos",  "Telefono",  "DNI",       "NumeroAfiliacion",
        "Domicilio",   "CodigoPostal", "Localidad", "Provincia", "GrupoCotizacion"};
    QList<std::pair<TField*, TField*>> copias;
    for (const char* n : copiados)
        if (TField* o = origen(n)) copias.append(std::make_pair(o, destino(n)));
    if (personal)
        if (TField* o = origen("NumeroMatricula"))
            copias.append(std::make_pair(o, destino("NumeroMatricula")));
    const int numeroCopias = qBound(1, Seleccion.NumeroCopias, 9999);

    // The rows go in by batches, each in a short transaction of its own; a
    // batch lost stops the fill, and nothing is printed.
    TRellenoListado relleno(Temporal);
    for (; !fichas.Eof(); fichas.Next()) {
        const int codigo = oCodigo->AsInteger();
        const QString clave = QString::number(codigo);
        if (filtrarVigor && enVigor.contains(codigo) != Seleccion.Activos) continue;
        if (personal && !Seleccion.Activos && !Seleccion.NoActivos) continue;
        if (!FiltroGruposAnalisis(ModuloDatos, tabla, clave, QString(),
                                  Seleccion.RangosGruposAnalisis))
            continue;
        relleno.Seguir();
        relleno.Anadir();
        destino("CodigoOperario")->setAsInteger(codigo);
        const QString nombre = oNombre ? oNombre->AsString() : QString();
        destino("NombreOperario")->setAsString(nombre);
        destino("Nombre")->setAsString(Pieza(nombre, QLatin1Char(','), 1));
        const QString apellidos = Pieza(nombre, QLatin1Char(','), 0);
        destino("PrimerApellido")->setAsString(Pieza(apellidos, QLatin1Char(' '), 0));
        destino("SegundoApellido")->setAsString(Pieza(apellidos, QLatin1Char(' '), 1));
        destino("FechaNacimiento")->setAsString(TextoFecha(origen("FechaNacimiento")));
        for (const auto& [o, d] : copias) d->setValue(o->Value());
        if (personal) {
            const TContratoFicha contrato = contratos.value(codigo);
            destino("FechaIngreso")->setAsString(contrato.Fecha);
            destino("CodigoContrato")->setAsInteger(contrato.Codigo);
            if (TField* c = origen("CodigoCategoria")) {
                // A category found has " - " and its description, even an
                // empty one.
                const QString categoria = c->AsString();
                const auto [existe, descripcion] = categorias.buscar(categoria);
                destino("CategoriaProfesional")
                    ->setAsString(existe ? categoria + QStringLiteral(" - ") + descripcion
                                         : categoria);
            }
        }
        const QString grupo = secciones.value(clave);
        if (!grupo.isEmpty()) {
            const QString descripcion = grupos(grupo);
            if (!descripcion.isEmpty())
                destino("Seccion")->setAsString(grupo + QStringLiteral(" - ") + descripcion);
        }
        const TPuestosFicha p = puestos.value(codigo);
        destino("PuestoTrabajo")->setAsString(p.Actual);
        destino("FechaOcupacionPuesto")->setAsString(p.Fecha);
        destino("OtrosPuestos")->setAsString(p.Otros);
        destino("Formacion")->setAsString(formacion.value(codigo));
        destino("NumeroCopias")->setAsInteger(numeroCopias);
        relleno.Grabar();
    }
}

void ImprimirFichas(const QString& Definicion, const QString& DefinicionLineas,
                    const QString& Enlace, const QString& Destino,
                    const std::function<void(TfGENELIMP*)>& Rellenar) {
    // Freed (with its work tables) also when the fill or the job raises.
    std::unique_ptr<TfGENELIMP> motor(new TfGENELIMP);
    fGENELIMP = motor.get();
    CrearTablaEstructura(fGENEINIC, motor->Temporal, Definicion, -1);
    motor->Temporal->Open();
    if (!DefinicionLineas.isEmpty()) {
        CrearTablaEstructura(fGENEINIC, motor->LTemporal, DefinicionLineas, -1);
        motor->LTemporal->setIndexFieldNames(Enlace + QStringLiteral(";Linea;LineaMemo"));
        motor->LTemporal->setMasterFields(Enlace);
        motor->LTemporal->Open();
    }
    if (!RellenoCompleto([&] { Rellenar(motor.get()); })) return;
    motor->Temporal->First();
    if (!Destino.isEmpty()) motor->DestinoImpreso = Destino;
    motor->EjecutarImpreso();
}

QString DefinicionEvaluaciones() {
    return Definicion(
        QStringLiteral("Tabla Temporal 1"),
        {QStringLiteral("CodigoOperario/ftSmallint/0/*"), QStringLiteral("Tipo/ftString/10/*"),
         QStringLiteral("Codigo/ftString/10/*"), QStringLiteral("FechaEvaluacion/ftDateTime/0/*"),
         QStringLiteral("Nombre/ftString/40/"), QStringLiteral("Domicilio/ftString/100/"),
         QStringLiteral("CodigoPostal/ftString/20/"), QStringLiteral("Localidad/ftString/40/"),
         QStringLiteral("Provincia/ftString/40/"), QStringLiteral("Pais/ftString/40/"),
         QStringLiteral("Observaciones/ftMemo/10/"),
         QStringLiteral("CodigoOperarioEvaluador/ftSmallint/0/"),
         QStringLiteral("Valoracion/ftInteger/0/"),
         QStringLiteral("NombreOperarioEvaluador/ftString/40/"),
         QStringLiteral("MateriaEvaluada/ftString/40/"), QStringLiteral("Nivel/ftString/40/"),
         QStringLiteral("PuestoTrabajo/ftString/40/")},
        QStringLiteral("CodigoOperario;Tipo;Codigo;FechaEvaluacion"));
}

QString DefinicionLineasEvaluacion() {
    return Definicion(
        QStringLiteral("Tabla Temporal 2"),
        {QStringLiteral("CodigoOperario/ftSmallint/0/*"), QStringLiteral("Tipo/ftString/10/*"),
         QStringLiteral("Codigo/ftString/10/*"), QStringLiteral("FechaEvaluacion/ftDateTime/0/*"),
         QStringLiteral("Linea/ftSmallint/0/*"), QStringLiteral("LineaMemo/ftSmallint/0/*"),
         QStringLiteral("Valoracion/ftInteger/0/"), QStringLiteral("Descripcion/ftMemo/10/"),
         QStringLiteral("LineaEvaluacion/ftSmallint/0/")},
        QStringLiteral("CodigoOperario;Tipo;Codigo;FechaEvaluacion;Linea;LineaMemo"));
}

namespace {

// The single value a statement answers; empty when it answers nothing or
// fails (never the error text, and no message per evaluation).
QString ValorSQL(const QString& sql) {
    QString r;
    EjecutarSQL(ModuloDatos, sql, QStringLiteral("Database"), QStringLiteral("Silenciosa"), r);
    return r.startsWith(QLatin1String("Error.")) ? QString() : r;
}

}  // namespace

void RellenarEvaluaciones(TTable* Temporal, TTable* LTemporal,
                          const TSeleccionEvaluaciones& Seleccion) {
    const QString rango = QStringLiteral(" BETWEEN %1 AND %2")
                              .arg(Seleccion.DesdeOperario)
                              .arg(Seleccion.HastaOperario);
    // The employees' data, read once for the range.
    struct TEmpleado {
        QString Nombre, Domicilio, CodigoPostal, Localidad, Provincia, PuestoTrabajo;
    };
    QHash<int, TEmpleado> empleados;
    {
        TQuery q;
        if (Leer(q, QStringLiteral("SELECT CodigoOperario, Nombre, Domicilio, CodigoPostal, "
                                   "Localidad, Provincia, PuestoTrabajo FROM PERSONAL WHERE "
                                   "CodigoOperario") +
                        rango)) {
            auto c = [&q](const char* n) { return q.FieldByName(QLatin1String(n))->AsString(); };
            for (; !q.Eof(); q.Next())
                empleados.insert(q.FieldByName(QStringLiteral("CodigoOperario"))->AsInteger(),
                                 {c("Nombre"), c("Domicilio"), c("CodigoPostal"), c("Localidad"),
                                  c("Provincia"), c("PuestoTrabajo")});
        }
    }
    // Only the chosen kind, for every employee of the range: the kind is a
    // condition of its own, not the second part of a range on the key.
    TQuery e;
    if (!Leer(e, QStringLiteral("SELECT * FROM EVLCION WHERE CodigoOperario") + rango +
                     QStringLiteral(" AND Tipo = ") + Entrecomillar(Seleccion.Tipo) +
                     QStringLiteral(" ORDER BY CodigoOperario, Tipo, Codigo, FechaEvaluacion")))
        return;
    TTable lineas;
    lineas.setTableName(QStringLiteral("LEVLCION"));
    if (!AbrirTabla(fGENEINIC, &lineas)) return;
    lineas.setIndexName(QString());
    auto campo = [&e](const char* n) { return e.FieldByName(QLatin1String(n)); };
    TField *eOperario = campo("CodigoOperario"), *eTipo = campo("Tipo"), *eCodigo = campo("Codigo"),
           *eFecha = campo("FechaEvaluacion"), *eEvaluador = campo("CodigoOperarioEvaluador"),
           *eObservaciones = campo("Observaciones"), *eNivel = campo("Nivel"),
           *eValoracion = campo("Valoracion");
    TField *lLinea = lineas.FieldByName(QStringLiteral("Linea")),
           *lDescripcion = lineas.FieldByName(QStringLiteral("Descripcion")),
           *lValoracion = lineas.FieldByName(QStringLiteral("Valoracion"));
    auto t = [Temporal](const char* n) { return Temporal->FieldByName(QLatin1String(n)); };
    auto l = [LTemporal](const char* n) { return LTemporal->FieldByName(QLatin1String(n)); };
    ListadoCancelado = false;
    // One batch for the whole fill, lines included (same database).
    TRellenoListado relleno(Temporal);
    for (; !e.Eof() && !ListadoCancelado; e.Next()) {
        const QString codigo = eCodigo->AsString();
        if (codigo < Seleccion.DesdeCodigo || codigo > Seleccion.HastaCodigo) continue;
        const QDateTime fecha = eFecha->AsDateTime();
        if (fecha < Seleccion.DesdeFecha || fecha > Seleccion.HastaFecha) continue;
        const int operario = eOperario->AsInteger();
        const QString tipo = eTipo->AsString();
        relleno.Anadir();
        t("CodigoOperario")->setAsInteger(operario);
        t("Tipo")->setAsString(tipo);
        t("Codigo")->setAsString(codigo);
        t("FechaEvaluacion")->setAsDateTime(fecha);
        if (empleados.contains(operario)) {
            const TEmpleado& p = empleados[operario];
            t("Nombre")->setAsString(p.Nombre);
            t("Domicilio")->setAsString(p.Domicilio);
            t("CodigoPostal")->setAsString(p.CodigoPostal);
            t("Localidad")->setAsString(p.Localidad);
            t("Provincia")->setAsString(p.Provincia);
            t("PuestoTrabajo")->setAsString(p.PuestoTrabajo);
        }
        t("Observaciones")->setAsString(eObservaciones->AsString());
        t("Nivel")->setAsString(eNivel->AsString());
        if (Seleccion.ListarValores && !eValoracion->IsNull())
            t("Valoracion")->setAsInteger(eValoracion->AsInteger());
        const int evaluador = eEvaluador->IsNull() ? 0 : eEvaluador->AsInteger();
        t("CodigoOperarioEvaluador")->setAsInteger(evaluador);
        // No evaluator: no statement, no name.
        if (evaluador != 0)
            t("NombreOperarioEvaluador")
                ->setAsString(ValorSQL(QStringLiteral("SELECT Nombre FROM PERSONAL WHERE  "
                                                      "CodigoOperario = ") +
                                       QString::number(evaluador)));
        t("MateriaEvaluada")
            ->setAsString(ValorSQL(
                (tipo == QLatin1String("Puesto")
                     ? QStringLiteral("SELECT Descripcion FROM PUESTO WHERE  Codigo = ")
                     : QStringLiteral("SELECT Descripcion FROM FORMCION WHERE  Codigo = ")) +
                Entrecomillar(codigo)));
        if (!relleno.Grabar()) continue;
        const QVariantList clave = {operario, tipo, codigo, fecha};
        lineas.SetRange(clave, clave);
        int numero = 1;
        for (lineas.First(); !lineas.Eof(); lineas.Next(), ++numero) {
            LTemporal->Append();
            l("CodigoOperario")->setAsInteger(operario);
            l("Tipo")->setAsString(tipo);
            l("Codigo")->setAsString(codigo);
            l("FechaEvaluacion")->setAsDateTime(fecha);
            l("Linea")->setAsInteger(numero);
            l("LineaMemo")->setAsInteger(0);
            l("LineaEvaluacion")->setAsInteger(lLinea->AsInteger());
            l("Descripcion")->setAsString(lDescripcion->AsString());
            if (Seleccion.ListarValores && !lValoracion->IsNull())
                l("Valoracion")->setAsInteger(lValoracion->AsInteger());
            if (!relleno.Grabar([LTemporal] { LTemporal->Post(); })) LTemporal->Cancel();
        }
    }
    lineas.CancelRange();
}
