// Analysis groups: profiles and categories, the range dialog, the SQL and
// the record test that apply ranges, and a record's groups.

#include "gene/data/genegrup.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav_p.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"

QString RangosGruposAnalisisListado;
TGanchoVisorListaDatos GanchoVisorListaDatos = nullptr;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct Perfil {
    const char* nombre;
    const char* tabla;
};
// The entities and their tables; the record test knows them by table name
// in this order.
constexpr Perfil kPerfiles[] = {
    {"Articulo", "ARTICULO"}, {"Cliente", "CLIENTE"},    {"Proveedor", "PROVEEDR"},
    {"Cuenta", "CUENTA"},     {"Proceso", "PROCESO"},    {"Operario", "OPERARIO"},
    {"Personal", "PERSONAL"}, {"Candidato", "CANDIDAT"},
};

QString perfilesCategorias(TModuloDatos* ModuloDatos) {
    TTable* p = ModuloDatos ? ModuloDatos->ParamGenerales : nullptr;
    if (!p || !p->Active()) return QString();
    TField* f = p->FindField(QStringLiteral("PerfilesCategoriasGA"));
    return f ? f->AsString() : QString();
}

QStringList elementos(const QString& lista) {
    QStringList r;
    for (const QString& e : lista.split(QLatin1Char(','))) {
        const QString t = e.trimmed();
        if (!t.isEmpty()) r << t;
    }
    return r;
}

QStringList categoriasPerfil(TModuloDatos* ModuloDatos, const QString& perfil) {
    return elementos(ValorParametro(perfil.trimmed(), perfilesCategorias(ModuloDatos)));
}

QString tablaPerfil(const QString& perfil) {
    for (const Perfil& p : kPerfiles)
        if (perfil.compare(QLatin1String(p.nombre), Qt::CaseInsensitive) == 0)
            return QLatin1String(p.tabla);
    return perfil.toUpper();
}

QString perfilTabla(const QString& tabla) {
    const QString t = tabla.toUpper();
    for (const Perfil& p : kPerfiles)
        if (t.contains(QLatin1String(p.tabla))) return QLatin1String(p.nombre);
    return t;
}

QStringList perfilesDeCategoria(TModuloDatos* ModuloDatos, const QString& categoria) {
    QStringList perfiles;
    for (const QString& linea : LineasTexto(perfilesCategorias(ModuloDatos))) {
        const qsizetype igual = linea.indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        if (elementos(linea.mid(igual + 1)).contains(categoria))
            perfiles << linea.left(igual).trimmed();
    }
    return perfiles;
}

struct Rango {
    QString categoria, desde, hasta;
    bool conLimite() const { return !desde.isEmpty() || !hasta.isEmpty(); }
};

QList<Rango> leerRangos(const QString& rangos) {
    QList<Rango> r;
    for (const QString& linea : LineasTexto(rangos)) {
        if (linea.isEmpty()) continue;
        r << Rango{ExtraerToken(0, linea, QStringLiteral("|")),
                   ExtraerToken(1, linea, QStringLiteral("|")),
                   ExtraerToken(2, linea, QStringLiteral("|"))};
    }
    return r;
}

bool enRango(const QString& codigo, const Rango& r) {
    return r.desde.compare(codigo) <= 0 && codigo.compare(r.hasta) <= 0;
}

QString sinPropietario(TModuloDatos* ModuloDatos, const QString& tabla) {
    QString r;
    NombreTablaSinPropietario(ModuloDatos, tabla, r);
    return r;
}

// The groups of a record as (category, code), in code order. False when
// they cannot be read.
using ListaGrupos = QList<QPair<QString, QString>>;

bool gruposPorConsulta(TModuloDatos* ModuloDatos, const QString& tabla, const QString& clave,
                       ListaGrupos& grupos) {
    QString r;
    EjecutarSQL(ModuloDatos,
                QStringLiteral("SELECT G.CategoriaGrupo, G.Codigo FROM GRANTAB T JOIN GRANALIS G "
                               "  ON T.GrupoAnalisis = G.Codigo   WHERE T.NombreTabla = ") +
                    Entrecomillar(sinPropietario(ModuloDatos, tabla)) +
                    QStringLiteral("  AND T.ClaveTabla = ") + Entrecomillar(clave),
                QStringLiteral("Database"), QString(), r);
    if (r.startsWith(QLatin1String("Error."))) return false;
    for (const QString& fila : LineasTexto(r))
        grupos << qMakePair(ExtraerToken(0, fila, QStringLiteral("|")),
                            ExtraerToken(1, fila, QStringLiteral("|")));
    std::sort(grupos.begin(), grupos.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    return true;
}

bool gruposPorTablas(TModuloDatos* ModuloDatos, const QString& tabla, const QString& clave,
                     ListaGrupos& grupos) {
    QString grantab, granalis;
    NombreTablaFisico(ModuloDatos, QStringLiteral("GRANTAB"), grantab);
    NombreTablaFisico(ModuloDatos, QStringLiteral("GRANALIS"), granalis);
    const QString base = NombreBaseDatosSelector(QStringLiteral("Database"));
    auto asignaciones = AbrirSegundoCursor(nullptr, base, grantab);
    auto catalogo = AbrirSegundoCursor(nullptr, base, granalis);
    if (!asignaciones || !catalogo) return false;
    try {
        const QVariantList registro{sinPropietario(ModuloDatos, tabla), clave};
        asignaciones->SetRange(registro, registro);
        TField* grupo = asignaciones->FieldByName(QStringLiteral("GrupoAnalisis"));
        TField* categoria = catalogo->FieldByName(QStringLiteral("CategoriaGrupo"));
        for (asignaciones->First(); !asignaciones->Eof(); asignaciones->Next()) {
            const QString codigo = grupo->AsString();
            if (catalogo->FindKey({codigo})) grupos << qMakePair(categoria->AsString(), codigo);
        }
    } catch (const EDatabaseError&) {
        return false;
    }
    return true;
}

// The record's groups read as the engine and mode ask; a record without a
// key has none.
bool gruposRegistro(TModuloDatos* ModuloDatos, const QString& tabla, const QString& clave,
                    bool porTablas, ListaGrupos& grupos) {
    grupos.clear();
    if (clave.isEmpty()) return true;
    return porTablas ? gruposPorTablas(ModuloDatos, tabla, clave, grupos)
                     : gruposPorConsulta(ModuloDatos, tabla, clave, grupos);
}

}  // namespace

// ---------------------------------------------------------------- profiles

void CategoriasPerfiles(TModuloDatos* ModuloDatos, const QString& Perfiles, QString& Categorias) {
    QStringList lista;
    for (const QString& perfil : Perfiles.split(QLatin1Char(','), Qt::SkipEmptyParts))
        lista << categoriasPerfil(ModuloDatos, perfil);
    lista.sort();
    lista.removeDuplicates();
    Categorias.clear();
    for (const QString& c : std::as_const(lista)) Categorias += c + kCrLf;
}

void FiltroCategoriasGrupoAnalisis(TModuloDatos* ModuloDatos, const QString& Perfil,
                                   QString& Filtro) {
    QStringList categorias = categoriasPerfil(ModuloDatos, Perfil);
    if (categorias.isEmpty()) categorias << QString();
    QStringList terminos;
    for (const QString& c : std::as_const(categorias))
        terminos << QStringLiteral("(CategoriaGrupo = ") + Entrecomillar(c) + QLatin1Char(')');
    Filtro = terminos.join(QStringLiteral(" OR "));
}

void PerfilesCategoria(TModuloDatos* ModuloDatos, const QString& Categoria, QString& Perfiles) {
    Perfiles.clear();
    for (const QString& p : perfilesDeCategoria(ModuloDatos, Categoria))
        Perfiles += p + QLatin1Char(',');
}

void TablasCategoria(TModuloDatos* ModuloDatos, const QString& Categoria, QString& Tablas) {
    Tablas.clear();
    for (const QString& p : perfilesDeCategoria(ModuloDatos, Categoria))
        Tablas += tablaPerfil(p) + QLatin1Char(',');
}

void CampoClaveCategoria(TModuloDatos* ModuloDatos, const QString& Categoria, QString& Campo) {
    const QStringList perfiles = perfilesDeCategoria(ModuloDatos, Categoria);
    const bool personal = !perfiles.isEmpty() && perfiles.first().compare(QLatin1String("Personal"),
                                                                          Qt::CaseInsensitive) == 0;
    Campo = personal ? QStringLiteral("CodigoOperario") : QStringLiteral("Codigo");
}

// ---------------------------------------------------------------- range dialog

void SeleccionRangosGruposAnalisis(TModuloDatos* ModuloDatos, const QString& Perfiles,
                                   const QString& RangosActuales, QString& Rangos) {
    Rangos = RangosActuales;
    if (!GanchoVisorListaDatos) return;

    QString categorias;
    CategoriasPerfiles(ModuloDatos, Perfiles, categorias);
    const QList<Rango> actuales = leerRangos(RangosActuales);
    QStringList filas;
    for (const QString& c : LineasTexto(categorias)) {
        QString fila = c;
        for (const Rango& r : actuales)
            if (r.categoria == c)
                fila = c + QLatin1Char('|') + r.desde + QLatin1Char('|') + r.hasta;
        filas << fila;
    }
    const QString opciones =
        QStringLiteral("Titulo=Selección de Rangos de Grupos de Análisis") + kCrLf +
        QStringLiteral("NumeroCampos=3") + kCrLf +
        QStringLiteral(
            "DefinicionCampos=Categoria,ftString,30,ReadOnly;ValorDesde,ftString,12;"
            "ValorHasta,ftString,12;");
    QString datos = filas.join(kCrLf);
    QList<Rango> elegidos;
    for (;;) {
        QString resultado = datos;
        GanchoVisorListaDatos(opciones, datos, resultado);
        elegidos = leerRangos(resultado);
        const auto invertido = std::find_if(elegidos.cbegin(), elegidos.cend(), [](const Rango& r) {
            return r.hasta.compare(r.desde) < 0;
        });
        if (invertido == elegidos.cend()) break;
        MensajeAdvertencia(
            QStringLiteral("¡El valor Desde es mayor que el valor Hasta en la categoría ") +
            invertido->categoria);
        datos = resultado;  // as the user left them
    }
    QStringList lineas;
    for (const Rango& r : std::as_const(elegidos))
        if (r.conLimite())
            lineas << r.categoria + QLatin1Char('|') + r.desde + QLatin1Char('|') + r.hasta;
    Rangos = lineas.join(kCrLf);
    RangosGruposAnalisisListado = Rangos;
}

// ---------------------------------------------------------------- applying ranges

void SQLGruposAnalisis(TModuloDatos* ModuloDatos, const QString& Rangos, const QString& Entidades,
                       QString& Condicion, QString& Uniones) {
    Condicion.clear();
    Uniones.clear();
    QString entidades;
    for (const QString& e : elementos(Entidades)) entidades += e + kCrLf;
    const bool mssql = MotorActual() == Engine::SqlServer;

    QList<Rango> rangos = leerRangos(Rangos);
    rangos.removeIf([](const Rango& r) { return !r.conLimite(); });
    for (int k = 0; k < rangos.size(); ++k) {
        const Rango& r = rangos[k];
        const QString n = QString::number(k);
        QString tablas, campo;
        TablasCategoria(ModuloDatos, r.categoria, tablas);
        CampoClaveCategoria(ModuloDatos, r.categoria, campo);
        for (const QString& t : tablas.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString expresion = ValorParametro(t, entidades).trimmed();
            if (expresion.isEmpty() || campo.isEmpty()) continue;
            const QString clave = QStringLiteral("TAB") + n + QLatin1Char('.') + campo;
            // ClaveTabla is text; an integer key is compared as its text.
            const QString claveTexto = mssql ? clave : DialectoActual().castToText(clave);
            Uniones += QStringLiteral(" JOIN ") + t + QStringLiteral(" TAB") + n +
                       QStringLiteral("     ON ") + expresion + QStringLiteral(" = ") +
                       QStringLiteral(" TAB") + n + QLatin1Char('.') + campo +
                       QStringLiteral(" JOIN GRANTAB GRT") + n + QStringLiteral("     ON GRT") + n +
                       QStringLiteral(".NombreTabla = ") +
                       Entrecomillar(sinPropietario(ModuloDatos, t)) +
                       QStringLiteral("     AND GRT") + n + QStringLiteral(".ClaveTabla = ") +
                       claveTexto + QStringLiteral(" JOIN GRANALIS GRA") + n +
                       QStringLiteral("     ON GRT") + n + QStringLiteral(".GrupoAnalisis = GRA") +
                       n + QStringLiteral(".Codigo ") + QStringLiteral("     AND GRA") + n +
                       QStringLiteral(".CategoriaGrupo = ") + Entrecomillar(r.categoria);
            Condicion += QStringLiteral(" AND ") +
                         CondicionDesdeHasta(QStringLiteral("GRA") + n + QStringLiteral(".Codigo"),
                                             r.desde, r.hasta, QStringLiteral("ftString"));
        }
    }
    if (!Uniones.isEmpty()) Uniones = QLatin1Char(' ') + Uniones + QLatin1Char(' ');
    if (!Condicion.isEmpty())
        Condicion = QStringLiteral(" (") + Condicion.mid(4) + QStringLiteral(") ");
}

bool FiltroGruposAnalisis(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                          const QString& Clave, const QString& Modo, const QString& Rangos) {
    const QList<Rango> rangos = leerRangos(Rangos);
    if (rangos.isEmpty()) return true;
    const QStringList categorias = categoriasPerfil(ModuloDatos, perfilTabla(NombreTabla));
    const bool porTablas =
        TipoBaseDatos == QLatin1String("Paradox") || Modo == QLatin1String("Filtro");
    ListaGrupos grupos;
    if (!gruposRegistro(ModuloDatos, NombreTabla, Clave, porTablas, grupos)) return true;
    for (const Rango& r : rangos) {
        if (!categorias.contains(r.categoria) || !r.conLimite()) continue;
        bool tiene = false;
        bool dentro = false;
        for (const auto& [categoria, codigo] : std::as_const(grupos)) {
            if (categoria != r.categoria) continue;
            tiene = true;
            if (enRango(codigo, r)) dentro = true;
        }
        if (!(tiene ? dentro : r.desde.isEmpty())) return false;
    }
    return true;
}

void GruposAnalisisRegistro(TModuloDatos* ModuloDatos, const QString& NombreTabla,
                            const QString& Categoria, QString& Grupos, const QString& Clave) {
    Grupos.clear();
    const bool todas = Categoria == QLatin1String("Todas");
    QStringList codigos;
    if (TipoBaseDatos == QLatin1String("Paradox")) {
        ListaGrupos grupos;
        if (!gruposRegistro(ModuloDatos, NombreTabla, Clave, true, grupos)) return;
        for (const auto& [categoria, codigo] : std::as_const(grupos))
            if (todas || categoria == Categoria) codigos << codigo;
    } else {
        QString sql = QStringLiteral(
                          "SELECT T.GrupoAnalisis FROM GRANTAB T JOIN GRANALIS G   ON "
                          "T.GrupoAnalisis = G.Codigo   WHERE T.NombreTabla = ") +
                      Entrecomillar(sinPropietario(ModuloDatos, NombreTabla)) +
                      QStringLiteral("  AND T.ClaveTabla = ") + Entrecomillar(Clave);
        if (!todas) sql += QStringLiteral("  AND G.CategoriaGrupo = ") + Entrecomillar(Categoria);
        // The same first group as the table order gives.
        if (MotorActual() != Engine::SqlServer) sql += QStringLiteral(" ORDER BY T.GrupoAnalisis");
        QString r;
        EjecutarSQL(ModuloDatos, sql, QStringLiteral("Database"), QString(), r);
        if (r.startsWith(QLatin1String("Error."))) return;
        codigos = LineasTexto(r);
    }
    if (codigos.isEmpty()) return;
    Grupos = todas ? codigos.join(QLatin1Char(',')) : codigos.first();
}
