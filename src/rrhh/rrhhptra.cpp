#include "rrhh/rrhhptra.h"

#include <QBoxLayout>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "rrhh/rrhhcrit.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

TfRRHHPTRA* fRRHHPTRA = nullptr;

TBitBtn* AgregarBotonPanelControl(TFormularioMaestro* Formulario, const QString& Nombre,
                                  const QString& Caption, const QString& Hint) {
    auto* boton = new TBitBtn(Formulario->PanelControl, Caption);
    boton->setObjectName(Nombre);
    boton->setHint(Hint);
    if (auto* caja = qobject_cast<QBoxLayout*>(Formulario->PanelControl->layout()))
        caja->addWidget(boton);
    return boton;
}

TfRRHHPTRA::TfRRHHPTRA(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fRRHHPTRA"),
                      QStringLiteral("Maestro de Puestos de Trabajo"), QStringLiteral("PUESTO")) {
    TextoErrorModificacion = QString::fromUtf8(textosmaestro::kNoSePuedeGrabar);
    TextoErrorAlta = QString::fromUtf8(textosmaestro::kRegistroNoGrabado);
    AltaTrasGrabarAlta = true;
    AgregarColumna(QStringLiteral("Codigo"), QStringLiteral("Código"), 80);
    AgregarColumna(QStringLiteral("Descripcion"), QStringLiteral("Descripción"), 280);
    Label1 = new TLabel(this, QStringLiteral("Perfil del Puesto"));
    Label1->setObjectName(QStringLiteral("Label1"));
    DBPerfil = new TDBMemo(this);
    DBPerfil->setObjectName(QStringLiteral("DBPerfil"));
    DBPerfil->setDataSource(DataSource1);
    DBPerfil->setDataField(QStringLiteral("Perfil"));
    Label1->setFocusControl(DBPerfil);
    AreaDatos->addWidget(Label1);
    AreaDatos->addWidget(DBPerfil);
    pbAccesoCriterios = AgregarBotonPanelControl(this, QStringLiteral("pbAccesoCriterios"),
                                                 QStringLiteral("&Criterios"),
                                                 QStringLiteral("Criterios de Evaluación"));
    resize(440, 460);

    Table1->BeforeDelete = [this](TDataSet* d) { Table1BeforeDelete(d); };
    pbAccesoCriterios->OnClick = [this](QObject* s) { pbAccesoCriteriosClick(s); };
    fRRHHPTRA = this;
}

TfRRHHPTRA::~TfRRHHPTRA() {
    if (fRRHHPTRA == this) fRRHHPTRA = nullptr;
}

void TfRRHHPTRA::Table1BeforePost(TDataSet* DataSet) {
    TMaestroRejilla::Table1BeforePost(DataSet);
    if (!ValidarListasRejilla()) Abort();
}

void TfRRHHPTRA::Table1BeforeEdit(TDataSet* DataSet) {
    // Only typing in the grid's key column is refused: the profile memo
    // edits the record whatever column the grid has selected.
    QWidget* activo = ActiveControl();
    if (activo && (activo == DBGrid1 || DBGrid1->isAncestorOf(activo)))
        TMaestroRejilla::Table1BeforeEdit(DataSet);
}

void TfRRHHPTRA::Table1BeforeDelete(TDataSet* DataSet) {
    EliminarPuestoConLineas(DataSet);
}

void TfRRHHPTRA::pbAccesoCriteriosClick(QObject*) {
    AbrirCriterios(QStringLiteral("Puesto"),
                   Table1->FieldByName(QStringLiteral("Codigo"))->AsString());
}

void RegistrarTfRRHHPTRA() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHPTRA")))
        RegisterFormClass<TfRRHHPTRA>(QStringLiteral("TfRRHHPTRA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHPTRA();
    return true;
}();
}  // namespace
