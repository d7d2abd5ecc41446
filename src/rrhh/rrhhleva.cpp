#include "rrhh/rrhhleva.h"

#include "db/sysutils.h"
#include "gene/data/geneconv.h"
#include "gene/print/genelimp.h"
#include "rrhh/rrhhfich.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLEVA* fRRHHLEVA = nullptr;

TfRRHHLEVA::TfRRHHLEVA(QWidget* owner)
    : TDialogoFicha(owner, QStringLiteral("fRRHHLEVA"),
                    QStringLiteral("Listado de Ficha de Evaluación"),
                    QStringLiteral("Ficha Evaluacion")) {
    HastaOperario->setText(QStringLiteral("999999999"));
    DesdeCodigo = NuevoEdit(QStringLiteral("DesdeCodigo"), QStringLiteral("0"), 8);
    HastaCodigo = NuevoEdit(QStringLiteral("HastaCodigo"), QStringLiteral("zzzzzzzzzzzzzz"), 14);
    FilaSeleccion(QStringLiteral("Desde Código"), DesdeCodigo, HastaCodigo);
    FilaFechas(QStringLiteral("Desde Fecha"), DesdeFecha, HastaFecha);
    Tipo = new TComboBox(Panel2);
    Tipo->setObjectName(QStringLiteral("Tipo"));
    Tipo->setStyle(csDropDownList);
    Tipo->setItems({QStringLiteral("Puesto"), QStringLiteral("Formacion")});
    Tipo->setItemIndex(0);
    FilaSeleccion(QStringLiteral("Tipo"), Tipo);
    ListarValores = Opcion(QStringLiteral("Opciones"), QStringLiteral("ListarValores"),
                           QStringLiteral("Listar valores Evaluación"));
    // No analysis-group range on this sheet.
    pbRangoGruposAnalisis->hide();
    fRRHHLEVA = this;
}

TfRRHHLEVA::~TfRRHHLEVA() {
    if (fRRHHLEVA == this) fRRHHLEVA = nullptr;
}

void TfRRHHLEVA::ValoresIniciales() {
    TDialogoFicha::ValoresIniciales();
    FechasAnoActual(DesdeFecha, HastaFecha, true);
}

void TfRRHHLEVA::setOperarioDesde(int v) {
    DesdeOperario->setText(QString::number(v));
}
void TfRRHHLEVA::setOperarioHasta(int v) {
    HastaOperario->setText(QString::number(v));
}
void TfRRHHLEVA::setCodigoDesde(const QString& v) {
    DesdeCodigo->setText(v);
}
void TfRRHHLEVA::setCodigoHasta(const QString& v) {
    HastaCodigo->setText(v);
}
void TfRRHHLEVA::setFechaDesde(const QDateTime& v) {
    DesdeFecha->setText(DateToStr(v.date()));
}
void TfRRHHLEVA::setFechaHasta(const QDateTime& v) {
    HastaFecha->setText(DateToStr(v.date()));
}
void TfRRHHLEVA::setTipo(const QString& v) {
    const int i = Tipo->findText(v);
    if (i >= 0) Tipo->setItemIndex(i);
}

bool TfRRHHLEVA::Validar() {
    const bool formato = ValidarFormato(QStringLiteral("!"));
    const bool valores = ValidarOperarios() && ValidarFechas(DesdeFecha, HastaFecha);
    return formato && valores;
}

void TfRRHHLEVA::Imprimir() {
    OmitirDialogoImpresora = false;
    TSeleccionEvaluaciones s;
    s.DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    s.HastaOperario = HastaOperario->Text().trimmed().toInt();
    s.DesdeCodigo = DesdeCodigo->Text();
    s.HastaCodigo = HastaCodigo->Text();
    s.DesdeFecha = QDateTime(StrToDate(DesdeFecha->Text().trimmed()), QTime(0, 0));
    // The typed "Hasta" day is taken whole: an evaluation stamped with a time
    // of that day (a duplicated one) is inside it.
    s.HastaFecha = QDateTime(StrToDate(HastaFecha->Text().trimmed()), QTime(23, 59, 59, 999));
    s.Tipo = Tipo->Text();
    s.ListarValores = ListarValores->isChecked();
    ImprimirFichas(
        DefinicionEvaluaciones(), DefinicionLineasEvaluacion(),
        QStringLiteral("CodigoOperario;Tipo;Codigo;FechaEvaluacion"), DestinoImpreso,
        [&s](TfGENELIMP* motor) { RellenarEvaluaciones(motor->Temporal, motor->LTemporal, s); });
}

void RegistrarTfRRHHLEVA() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLEVA")))
        RegisterFormClass<TfRRHHLEVA>(QStringLiteral("TfRRHHLEVA"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLEVA();
    return true;
}();
}  // namespace
