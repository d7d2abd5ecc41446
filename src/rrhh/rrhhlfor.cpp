#include "rrhh/rrhhlfor.h"

#include <QDateTime>
#include <QLayout>

#include "db/sysutils.h"
#include "gene/geneconv.h"
#include "rrhh/rrqrlfor.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLFOR* fRRHHLFOR = nullptr;

TfRRHHLFOR::TfRRHHLFOR(QWidget* owner)
    : TDialogoListado(owner, QStringLiteral("fRRHHLFOR"),
                      QStringLiteral("Listado de Operarios por Nivel de Formación")) {
    DesdeFecha = NuevoEdit(QStringLiteral("DesdeFecha"), QString(), 10);
    HastaFecha = NuevoEdit(QStringLiteral("HastaFecha"), QString(), 10);
    FilaSeleccion(QStringLiteral("Desde Fecha "), DesdeFecha, HastaFecha);
    DesdeFormacion = NuevoEdit(QStringLiteral("DesdeFormacion"), QString(), 8);
    // The default upper bound is longer than what can be typed.
    HastaFormacion =
        NuevoEdit(QStringLiteral("HastaFormacion"), QStringLiteral("zzzzzzzzzzzzz"), 13);
    FilaSeleccion(QStringLiteral("Desde Formación"), DesdeFormacion, HastaFormacion);

    const QString opciones = QStringLiteral("Opciones");
    Activos = Opcion(opciones, QStringLiteral("Activos"), QStringLiteral("Activos"));
    NoActivos = Opcion(opciones, QStringLiteral("NoActivos"), QStringLiteral("No Activos"));
    QWidget* orden = GrupoOpciones(QStringLiteral("Tipo Clasificación"));
    const auto boton = [orden](const char* nombre, const char* caption) {
        auto* r = new TRadioButton(orden, QString::fromUtf8(caption));
        r->setObjectName(QLatin1String(nombre));
        orden->layout()->addWidget(r);
        return r;
    };
    PorOperario = boton("PorOperario", "Por Operario");
    PorFormacion = boton("PorFormacion", "Por Formación");
    PorFechaFinal = boton("PorFechaFinal", "Por Fecha Final");
    PorOperario->setChecked(true);
    fRRHHLFOR = this;
}

TfRRHHLFOR::~TfRRHHLFOR() {
    if (fRRHHLFOR == this) fRRHHLFOR = nullptr;
}

void TfRRHHLFOR::ValoresIniciales() {
    const QString ano = QString::number(AnoDosCifras(QDateTime::currentDateTime()));
    DesdeFecha->setText(QStringLiteral("1/1/") + ano);
    HastaFecha->setText(QStringLiteral("31/12/") + ano);
}

bool TfRRHHLFOR::Validar() {
    return ValidarEntero(DesdeOperario->Text(), QStringLiteral("Desde Operario")) &&
           ValidarEntero(HastaOperario->Text(), QStringLiteral("Hasta Operario")) &&
           ValidarFecha(DesdeFecha->Text(), QStringLiteral("Desde Fecha")) &&
           ValidarFecha(HastaFecha->Text(), QStringLiteral("Hasta Fecha"));
}

QString TfRRHHLFOR::Orden() const {
    if (PorOperario->isChecked()) return QStringLiteral("PorOperario");
    if (PorFormacion->isChecked()) return QStringLiteral("PorFormacion");
    return QStringLiteral("PorFechaFinal");
}

TInformeListado* TfRRHHLFOR::CrearInforme() {
    // The order chooses the temporary table: it goes in with the creation.
    auto* r = new TfRRQRLFOR(Orden(), this);
    r->DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    r->HastaOperario = HastaOperario->Text().trimmed().toInt();
    r->DesdeFormacion = DesdeFormacion->Text();
    r->HastaFormacion = HastaFormacion->Text();
    r->DesdeFecha = QDateTime(StrToDate(DesdeFecha->Text().trimmed()), QTime(0, 0));
    r->HastaFecha = QDateTime(StrToDate(HastaFecha->Text().trimmed()), QTime(0, 0));
    r->RangosGruposAnalisis = RangosGruposAnalisis;
    r->Activos = Activos->isChecked();
    r->NoActivos = NoActivos->isChecked();
    return r;
}

void RegistrarTfRRHHLFOR() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLFOR")))
        RegisterFormClass<TfRRHHLFOR>(QStringLiteral("TfRRHHLFOR"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLFOR();
    return true;
}();
}  // namespace
