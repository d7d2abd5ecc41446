#include "rrhh/rrhhlcap.h"

#include "gene/data/geneconv.h"
#include "gene/data/mensajes.h"
#include "rrhh/rrqrlcap.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLCAP* fRRHHLCAP = nullptr;
TfRRHHLMAQ* fRRHHLMAQ = nullptr;

TfRRHHLCAP::TfRRHHLCAP(QWidget* owner)
    : TDialogoListado(owner, QStringLiteral("fRRHHLCAP"),
                      QStringLiteral("Listado de Capacitación para Puestos de Trabajo")) {
    FilaPuestos(DesdePuesto, HastaPuesto);
    OpcionesActivos(Activos, NoActivos);
    fRRHHLCAP = this;
}

TfRRHHLCAP::~TfRRHHLCAP() {
    if (fRRHHLCAP == this) fRRHHLCAP = nullptr;
}

bool TfRRHHLCAP::Validar() {
    return ValidarOperarios();
}

int TfRRHHLCAP::Ejecuciones() {
    puestos_ = TfRRQRLCAP::PuestosRango(DesdePuesto->Text(), HastaPuesto->Text());
    if (puestos_.isEmpty()) {
        MensajeInformacion(QStringLiteral("No existen datos para listar"));
        return 0;
    }
    return int((puestos_.size() + kColumnas - 1) / kColumnas);
}

TInformeListado* TfRRHHLCAP::CrearInformeEjecucion(int Ejecucion) {
    if (puestos_.isEmpty())
        puestos_ = TfRRQRLCAP::PuestosRango(DesdePuesto->Text(), HastaPuesto->Text());
    auto* r = new TfRRQRLCAP(this);
    r->DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    r->HastaOperario = HastaOperario->Text().trimmed().toInt();
    r->RangosGruposAnalisis = RangosGruposAnalisis;
    r->Activos = Activos->isChecked();
    r->NoActivos = NoActivos->isChecked();
    // The run's first and last position: the report reads the codes between.
    const qsizetype primera = qsizetype(Ejecucion) * kColumnas;
    if (primera < puestos_.size()) {
        r->DesdePuesto = puestos_[primera];
        r->HastaPuesto = puestos_[std::min(primera + kColumnas, puestos_.size()) - 1];
    }
    return r;
}

TfRRHHLMAQ::TfRRHHLMAQ(QWidget* owner)
    : TDialogoListado(owner, QStringLiteral("fRRHHLMAQ"),
                      QStringLiteral("Listado de Capacitación para Máquinas")) {
    DesdeMaquina = NuevoEdit(QStringLiteral("DesdeMaquina"), QStringLiteral("0"), 8);
    HastaMaquina = NuevoEdit(QStringLiteral("HastaMaquina"), QStringLiteral("9999"), 8);
    FilaSeleccion(QStringLiteral("Desde Máquina"), DesdeMaquina, HastaMaquina);
    const QString situacion = QStringLiteral("Situación:");
    Activos = Opcion(situacion, QStringLiteral("Activos"), QStringLiteral("Activos"));
    NoActivos = Opcion(situacion, QStringLiteral("NoActivos"), QStringLiteral("No Activos"));
    const QString opciones = QStringLiteral("Opciones:");
    ListarCodigo = OpcionOrden(opciones, QStringLiteral("ListarCodigo"),
                               QStringLiteral("Listar Código Máquina"));
    ListarDescripcion = OpcionOrden(opciones, QStringLiteral("ListarDescripcion"),
                                    QStringLiteral("Listar Descripción Máquina"));
    ListarCodigo->setChecked(true);
    fRRHHLMAQ = this;
}

TfRRHHLMAQ::~TfRRHHLMAQ() {
    if (fRRHHLMAQ == this) fRRHHLMAQ = nullptr;
}

bool TfRRHHLMAQ::Validar() {
    return ValidarOperarios() &&
           ValidarEntero(DesdeMaquina->Text(), QStringLiteral("Desde Maquina")) &&
           ValidarEntero(HastaMaquina->Text(), QStringLiteral("Hasta Maquina"));
}

TInformeListado* TfRRHHLMAQ::CrearInforme() {
    auto* r = new TfRRQRLMAQ(this);
    r->DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    r->HastaOperario = HastaOperario->Text().trimmed().toInt();
    r->DesdeMaquina = DesdeMaquina->Text().trimmed().toInt();
    r->HastaMaquina = HastaMaquina->Text().trimmed().toInt();
    r->RangosGruposAnalisis = RangosGruposAnalisis;
    r->Activos = Activos->isChecked();
    r->NoActivos = NoActivos->isChecked();
    r->ListarCodigo = ListarCodigo->isChecked();
    r->ListarDescripcion = ListarDescripcion->isChecked();
    return r;
}

void RegistrarTfRRHHLCAP() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLCAP")))
        RegisterFormClass<TfRRHHLCAP>(QStringLiteral("TfRRHHLCAP"));
}

void RegistrarTfRRHHLMAQ() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLMAQ")))
        RegisterFormClass<TfRRHHLMAQ>(QStringLiteral("TfRRHHLMAQ"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLCAP();
    RegistrarTfRRHHLMAQ();
    return true;
}();
}  // namespace
