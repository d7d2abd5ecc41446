#include "nomina/nomitsub.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/dialogs/genebusc.h"
#include "gene/data/geneclav.h"
#include "gene/dialogs/genefilt.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genemodu.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

TfNOMITSUB* fNOMITSUB = nullptr;

TfNOMITSUB::TfNOMITSUB(QWidget* owner)
    : TMaestroRejilla(owner, QStringLiteral("fNOMITSUB"),
                      QStringLiteral("Maestro de Tipos de Subsidio"), QStringLiteral("TSUBSDIO")) {
    UsarMarcoNomina();
    // The table keeps the name it was given.
    NombreTablaMaestro.clear();
    TextoErrorModificacion = QString::fromUtf8(textosmaestro::kNoSePuedeGrabar);
    TextoErrorAlta = QString::fromUtf8(textosmaestro::kRegistroNoGrabado);
    AltaTrasGrabarAlta = true;
    RefrescarTrasEliminacionMultiple = false;
    NombreCampoClave = QStringLiteral("HastaDias");
    ClaveExistente = ceRechazar;

    auto* fila = new QHBoxLayout;
    fila->setContentsMargins(6, 6, 6, 6);
    Label1 = new TLabel(this, QStringLiteral("Código"));
    Label1->setObjectName(QStringLiteral("Label1"));
    EditRango = new TComboBox(this);
    EditRango->setObjectName(QStringLiteral("EditRango"));
    EditRango->setStyle(csDropDown);
    EditRango->setWidth(280);
    Label1->setFocusControl(EditRango);
    fila->addWidget(Label1);
    fila->addWidget(EditRango);
    fila->addStretch(1);
    AreaDatos->insertLayout(0, fila);

    const QStringList tipos = {QStringLiteral("Enfermedad"), QStringLiteral("Accidente Trabajo"),
                               QStringLiteral("Maternidad"), QStringLiteral("Mat.Parcial"),
                               QStringLiteral("Recaida")};
    AgregarColumna(QStringLiteral("HastaDias"), QStringLiteral("Hasta Días"));
    AgregarColumna(QStringLiteral("TipoBaja"), QStringLiteral("Tipo Baja"))->setPickList(tipos);
    AgregarColumna(QStringLiteral("TipoSubsidioSS"), QStringLiteral("% S.S."), 68);
    AgregarColumna(QStringLiteral("TipoComplementoEmpresa"), QStringLiteral("% Empresa"), 68);
    AgregarColumna(QStringLiteral("ITVPorcentajeSBRDiaria"), QStringLiteral("IT.Vol.% B.R."));
    AgregarColumna(QStringLiteral("ITVComplementoSConceptos"),
                   QStringLiteral("IT.Vol.Compl.S/Conceptos"), 183);
    AgregarColumna(QStringLiteral("ITVPorcentajeSConceptos"),
                   QStringLiteral("I.T.Vol.%S/Conceptos"));
    AgregarColumna(QStringLiteral("Discriminar1Baja"), QStringLiteral("Discriminar 1ª Baja"))
        ->setPickList({QStringLiteral("SI"), QStringLiteral("NO")});
    resize(760, 360);

    EditRango->OnChange = [this](QObject* s) { EditRangoChange(s); };
    fNOMITSUB = this;
}

TfNOMITSUB::~TfNOMITSUB() {
    if (fNOMITSUB == this) fNOMITSUB = nullptr;
}

void TfNOMITSUB::FormCreate(QObject* Sender) {
    TMaestroRejilla::FormCreate(Sender);
    for (const char* nombre : {"TipoSubsidioSS", "TipoComplementoEmpresa"})
        if (TField* f = Table1->FindField(QLatin1String(nombre)))
            f->setDisplayFormat(QStringLiteral("#,###.##"));
    setActiveControl(EditRango);
    QString codigos;
    ValoresDistintos(ModuloDatos, QStringLiteral("TSUBSDIO"), QStringLiteral("Codigo"), codigos,
                     QString());
    EditRango->setItems(codigos.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));
    // A code longer than its field would be stored cut, under another code.
    if (TField* codigo = Table1->FindField(QStringLiteral("Codigo")); codigo && codigo->Size() > 0)
        if (QLineEdit* texto = EditRango->lineEdit()) texto->setMaxLength(codigo->Size());
    const QSignalBlocker sinAvisos(EditRango);
    EditRango->setText(QStringLiteral("Enfermedad"));
    EditRangoChange(EditRango);
}

void TfNOMITSUB::EditRangoChange(QObject*) {
    if (!Table1->Active()) return;
    const QString codigo = EditRango->Text();
    // A line being typed belongs to the code shown so far: it is posted
    // first, and when it cannot be the box goes back to that code, so that
    // the box, the grid and the line stay in step.
    try {
        Table1->CheckBrowseMode();
    } catch (...) {
        const QSignalBlocker sinAvisos(EditRango);
        EditRango->setText(codigoRango_);
        throw;
    }
    Table1->SetRange({codigo}, {codigo});
    codigoRango_ = codigo;
}

void TfNOMITSUB::Table1NewRecord(TDataSet*) {
    // No duplication here: a line takes only the code it is shown under.
    Table1->FieldByName(QStringLiteral("Codigo"))->setAsString(codigoRango_);
    Table1->FieldByName(QStringLiteral("Discriminar1Baja"))->setAsString(QStringLiteral("NO"));
}

void TfNOMITSUB::Table1BeforePost(TDataSet* DataSet) {
    TMaestroRejilla::Table1BeforePost(DataSet);
    if (!ValidarListasRejilla()) Abort();
}

bool TfNOMITSUB::ValidarColumna() {
    return ValidarListasRejilla();
}

QString TfNOMITSUB::ClaveNueva(const QString& TextoClave) {
    return codigoRango_ + QLatin1Char(';') + TextoClave;
}

void TfNOMITSUB::Buscar1Click(QObject*) {
    // The search covers every code; the grid then shows the found line's.
    Table1->CancelRange();
    QVariant clave;
    BuscarRegistro(Table1, 0, clave);
    const QVariantList valores = clave.toList();
    if (valores.size() >= 2) EditRango->setText(valores[0].toString());
    EditRangoChange(EditRango);
    if (valores.size() >= 2) Table1->FindKey({valores[0].toString(), valores[1].toInt()});
}

void TfNOMITSUB::FiltrarRegistros1Click(QObject*) {
    const QString codigo = EditRango->Text();
    FiltrarRegistros(Table1);
    if (EditRango->Text() != codigo) EditRango->setText(codigo);
}

void TfNOMITSUB::pbRefrescarClick(QObject* Sender) {
    TMaestroRejilla::pbRefrescarClick(Sender);
    EditRangoChange(EditRango);
}

void RegistrarTfNOMITSUB() {
    RegisterFormClass<TfNOMITSUB>(QStringLiteral("TfNOMITSUB"));
}

namespace {
const bool registrado = [] {
    RegistrarTfNOMITSUB();
    return true;
}();
}  // namespace
