#include "rrhh/rrhhmaqu.h"

#include "db/field.h"
#include "db/table.h"
#include "ui/registry.h"

TfRRHHMAQU* fRRHHMAQU = nullptr;

namespace {

TDefinicionMatriz DefinicionMaquinas() {
    TDefinicionMatriz d;
    d.Nombre = QStringLiteral("fRRHHMAQU");
    d.Titulo = QStringLiteral("Matriz de Capacitación para Máquinas");
    d.TablaMatriz = QStringLiteral("MATRMAQU");
    d.ComponenteMatriz = QStringLiteral("MatrizMaquina");
    d.CampoCodigo = QStringLiteral("CodigoMaquina");
    d.EtiquetaCodigo = QStringLiteral(" - Máquina:");
    d.ErrorGrabacion = QStringLiteral("¡Imposible grabar la matriz de maquinas!. Motivo: ");
    d.ProgramaListado = QStringLiteral("Listado de Capacitación para Máquinas");
    d.ClaseListado = QStringLiteral("TfRRHHLMAQ");
    d.NombreListado = QStringLiteral("fRRHHLMAQ");
    d.HintImprimir = QStringLiteral("Imprimir la Matriz de Capacitación");
    return d;
}

}  // namespace

TfRRHHMAQU::TfRRHHMAQU(QWidget* owner) : TMatrizCapacitacion(owner, DefinicionMaquinas()) {
    Maquina = new TTable(this);
    Maquina->setObjectName(QStringLiteral("Maquina"));
    Maquina->setTableName(QStringLiteral("MAQUINA"));
    OnActivate = [this](QObject*) { update(); };
    fRRHHMAQU = this;
}

TfRRHHMAQU::~TfRRHHMAQU() {
    if (fRRHHMAQU == this) fRRHHMAQU = nullptr;
    Maquina->Close();
}

QList<TMatrizCapacitacion::TColumnaMatriz> TfRRHHMAQU::LeerColumnas() {
    QList<TColumnaMatriz> columnas;
    if (!Maquina->Active()) Maquina->Open();
    Maquina->Refresh();
    TField* codigo = Maquina->FieldByName(QStringLiteral("Codigo"));
    TField* descripcion = Maquina->FieldByName(QStringLiteral("Descripcion"));
    for (Maquina->First(); !Maquina->Eof(); Maquina->Next())
        columnas.append({codigo->AsString(), descripcion->AsString()});
    return columnas;
}

QVariant TfRRHHMAQU::ValorCodigo(const QString& Codigo) const {
    return Codigo.toInt();
}

void RegistrarTfRRHHMAQU() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHMAQU")))
        RegisterFormClass<TfRRHHMAQU>(QStringLiteral("TfRRHHMAQU"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHMAQU();
    return true;
}();
}  // namespace
