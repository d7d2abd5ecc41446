#include "rrhh/rrhhform.h"

#include <functional>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/genepara.h"
#include "rrhh/rrhhcrit.h"
#include "rrhh/rrhhptra.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

TfRRHHFORM* fRRHHFORM = nullptr;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kPersonal = QStringLiteral("Personal");

QString NombrePerfil(const QString& linea) {
    const int i = linea.indexOf(QLatin1Char('='));
    return i < 0 ? QString() : linea.left(i);
}

QStringList Categorias(const QString& linea) {
    return linea.mid(linea.indexOf(QLatin1Char('=')) + 1).split(QLatin1Char(','));
}

QString Consulta(const QString& sql) {
    QString r;
    EjecutarSQL(ModuloDatos, sql, QStringLiteral("Database"), QString(), r);
    return r;
}

bool SinGruposDeCategoria(const QString& tipo) {
    return Consulta(QStringLiteral("SELECT COUNT(*) FROM GRANALIS WHERE CategoriaGrupo = ") +
                    Entrecomillar(tipo)) == QLatin1String("0");
}

// The profiles are read afresh before each change, so that a category
// another window or user added meanwhile is kept.
QString LeerPerfiles() {
    return Consulta(QStringLiteral("SELECT PerfilesCategoriasGA FROM PARAGENE"));
}

// A bound value: a line break inside a quoted SQL text would not survive.
// False when the company has no parameter record to hold them.
bool ActualizarPerfiles(const QString& perfiles) {
    TQuery consulta;
    consulta.setRequestLive(false);
    consulta.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    consulta.SQL().setText(QStringLiteral("UPDATE PARAGENE SET PerfilesCategoriasGA = :Perfiles"));
    consulta.ParamByName(QStringLiteral("Perfiles"))->setAsString(perfiles);
    consulta.ExecSQL();
    return consulta.RowsAffected() > 0;
}

// A new company has no parameter record until one is created: it is created
// with its defaults (as the parameters window does) and the change applied to
// what it holds; a change that reaches no record is refused, never dropped.
void GrabarPerfiles(const std::function<QString(const QString&)>& Cambio) {
    if (!ActualizarPerfiles(Cambio(LeerPerfiles()))) {
        const bool creado = ModuloDatos && ParametrosEmpresaPresentes(ModuloDatos->ParamGenerales);
        if (!creado || !ActualizarPerfiles(Cambio(LeerPerfiles()))) {
            MensajeAdvertencia(QStringLiteral(
                "¡ No existen los Parámetros Globales de la empresa !. No se ha grabado el "
                "registro."));
            Abort();
        }
    }
    // The parameters the session holds show the change at once.
    if (ModuloDatos && ModuloDatos->ParamGenerales && ModuloDatos->ParamGenerales->Active() &&
        ModuloDatos->ParamGenerales->State() == dsBrowse)
        RefrescarDataSet(ModuloDatos, ModuloDatos->ParamGenerales, QString());
}

}  // namespace

QString AgregarCategoriaPerfilPersonal(const QString& Perfiles, const QString& Categoria) {
    QString texto;
    bool conPersonal = false;
    for (QString linea : LineasTexto(Perfiles)) {
        if (NombrePerfil(linea) == kPersonal) {
            conPersonal = true;
            if (!Categorias(linea).contains(Categoria)) linea += QLatin1Char(',') + Categoria;
        }
        texto += linea + kCrLf;
    }
    if (!conPersonal) texto += kPersonal + QLatin1Char('=') + Categoria;
    return texto;
}

QString QuitarCategoriaPerfiles(const QString& Perfiles, const QString& Categoria) {
    QStringList lineas = LineasTexto(Perfiles);
    for (QString& linea : lineas) {
        if (!linea.contains(QLatin1Char('='))) continue;
        QStringList categorias = Categorias(linea);
        if (categorias.removeAll(Categoria) == 0) continue;
        linea = NombrePerfil(linea) + QLatin1Char('=') + categorias.join(QLatin1Char(','));
    }
    const bool saltoFinal =
        Perfiles.endsWith(QLatin1Char('\n')) || Perfiles.endsWith(QLatin1Char('\r'));
    return lineas.join(kCrLf) + (saltoFinal ? kCrLf : QString());
}

bool ValidarCategoriaPerfiles(const QString& Categoria) {
    if (!Categoria.contains(QLatin1Char(','))) return true;
    MensajeAdvertencia(QStringLiteral(
        "¡ El Tipo de Formación no puede contener comas (\",\") !. Repita por favor."));
    return false;
}

TfRRHHFORM::TfRRHHFORM(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fRRHHFORM"),
                      QStringLiteral("Maestro de Tipos de Formación"), QStringLiteral("FORMCION")) {
    TextoErrorModificacion = QString::fromUtf8(textosmaestro::kNoSePuedeGrabar);
    TextoErrorAlta = QString::fromUtf8(textosmaestro::kRegistroNoGrabado);
    AltaTrasGrabarAlta = true;
    AgregarColumna(QStringLiteral("Codigo"), QStringLiteral("Código"), 80);
    AgregarColumna(QStringLiteral("Tipo"), QStringLiteral("Tipo"), 160);
    AgregarColumna(QStringLiteral("Descripcion"), QStringLiteral("Descripción"), 280);
    pbAccesoCriterios = AgregarBotonPanelControl(this, QStringLiteral("pbAccesoCriterios"),
                                                 QStringLiteral("&Criterios"),
                                                 QStringLiteral("Criterios de Evaluación"));
    resize(600, 360);

    Table1->BeforeDelete = [this](TDataSet* d) { Table1BeforeDelete(d); };
    pbAccesoCriterios->OnClick = [this](QObject* s) { pbAccesoCriteriosClick(s); };
    fRRHHFORM = this;
}

TfRRHHFORM::~TfRRHHFORM() {
    if (fRRHHFORM == this) fRRHHFORM = nullptr;
}

void TfRRHHFORM::FormCreate(QObject* Sender) {
    TMaestroRejilla::FormCreate(Sender);
    RefrescarTipos();
}

void TfRRHHFORM::RefrescarTipos() {
    QString tipos;
    ValoresDistintos(ModuloDatos, QStringLiteral("FORMCION"), QStringLiteral("Tipo"), tipos,
                     QString());
    DBGrid1->Columns().Items(1)->setPickList(tipos.split(kCrLf, Qt::SkipEmptyParts));
}

void TfRRHHFORM::Table1BeforePost(TDataSet* DataSet) {
    TMaestroRejilla::Table1BeforePost(DataSet);
    const QString codigo = Table1->FieldByName(QStringLiteral("Codigo"))->AsString();
    const QString tipo = Table1->FieldByName(QStringLiteral("Tipo"))->AsString();
    // Stored, it would stand in the profiles as two categories, never removed.
    if (!ValidarCategoriaPerfiles(tipo)) Abort();
    // The pick list offers the types in use; a new one is typed freely.
    if (!codigo.isEmpty() && ActiveControl() != pbCancelar) RefrescarTipos();
    if (!tipo.isEmpty() && SinGruposDeCategoria(tipo))
        GrabarPerfiles(
            [&tipo](const QString& p) { return AgregarCategoriaPerfilPersonal(p, tipo); });
    // The analysis group; one that exists already (after an edit) stays as it is.
    InsertarRegistroSQL(ModuloDatos,
                        QStringLiteral("GRANALIS") + kCrLf + QStringLiteral("Codigo=") + codigo +
                            kCrLf + QStringLiteral("Descripcion=") +
                            Table1->FieldByName(QStringLiteral("Descripcion"))->AsString() + kCrLf +
                            QStringLiteral("CategoriaGrupo=") + tipo,
                        QStringLiteral("Database"), QStringLiteral("Silenciosa"));
}

void TfRRHHFORM::Table1AfterPost(TDataSet* DataSet) {
    TMaestroRejilla::Table1AfterPost(DataSet);
    RefrescarTipos();
}

void TfRRHHFORM::Table1BeforeDelete(TDataSet*) {
    // The rows attached to a training type, and its criteria, stay.
    const QString codigo = Table1->FieldByName(QStringLiteral("Codigo"))->AsString();
    const QString tipo = Table1->FieldByName(QStringLiteral("Tipo"))->AsString();
    // Only the type's own mirror: a group of another category that has the
    // same code (the mirror could not be written then) belongs to someone else.
    Consulta(QStringLiteral("DELETE FROM GRANALIS WHERE Codigo = ") + Entrecomillar(codigo) +
             QStringLiteral(" AND ") +
             (tipo.isEmpty() ? QStringLiteral("(CategoriaGrupo IS NULL OR CategoriaGrupo = '')")
                             : QStringLiteral("CategoriaGrupo = ") + Entrecomillar(tipo)));
    if (!tipo.isEmpty() && SinGruposDeCategoria(tipo))
        GrabarPerfiles([&tipo](const QString& p) { return QuitarCategoriaPerfiles(p, tipo); });
}

bool TfRRHHFORM::ValidarColumna() {
    if (DBGrid1->SelectedIndex() != 1 || !Editando()) return true;
    return ValidarCategoriaPerfiles(Table1->FieldByName(QStringLiteral("Tipo"))->Text());
}

// Code and type are the key columns here: the type is the category of the
// training's analysis group, which never changes.
void TfRRHHFORM::Table1BeforeEdit(TDataSet*) {
    if (DBGrid1->SelectedIndex() > 1) return;
    MensajeAdvertencia(QStringLiteral("¡ No se puede modificar la clave del registro !"));
    Abort();
}

void TfRRHHFORM::DBGrid1KeyPress(QObject*, QChar& Key) {
    if (DBGrid1->SelectedIndex() > 1 || Table1->State() != dsEdit) return;
    Key = QChar();
    MensajeAdvertencia(QStringLiteral("¡ No se puede modificar la clave del registro !"));
    Abort();
}

void TfRRHHFORM::pbAccesoCriteriosClick(QObject*) {
    AbrirCriterios(QStringLiteral("Formacion"),
                   Table1->FieldByName(QStringLiteral("Codigo"))->AsString());
}

void RegistrarTfRRHHFORM() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHFORM")))
        RegisterFormClass<TfRRHHFORM>(QStringLiteral("TfRRHHFORM"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHFORM();
    return true;
}();
}  // namespace
