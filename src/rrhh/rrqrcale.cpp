#include "rrhh/rrqrcale.h"

#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"

TDialogoFechas::TDialogoFechas(QWidget* owner, const QString& nombre, const QString& titulo)
    : TDialogoListado(owner, nombre, titulo) {
    DesdeFecha = NuevoEdit(QStringLiteral("DesdeFecha"), QString(), 10);
    HastaFecha = NuevoEdit(QStringLiteral("HastaFecha"), QString(), 10);
    FilaSeleccion(QStringLiteral("Desde Fecha "), DesdeFecha, HastaFecha);
    const QString opciones = QStringLiteral("Opciones");
    Activos = Opcion(opciones, QStringLiteral("Activos"), QStringLiteral("Activos"));
    NoActivos = Opcion(opciones, QStringLiteral("NoActivos"), QStringLiteral("No Activos"));
    NoActivos->setChecked(false);
    SaltoPagina = Opcion(opciones, QStringLiteral("SaltoPagina"), QStringLiteral("Salto Pagina"));
    SaltoPagina->setChecked(false);
}

void TDialogoFechas::ValoresIniciales() {
    const QString ano = QString::number(AnoDosCifras(QDateTime::currentDateTime()));
    DesdeFecha->setText(QStringLiteral("1/1/") + ano);
    HastaFecha->setText(QStringLiteral("31/12/") + ano);
}

bool TDialogoFechas::Validar() {
    return ValidarEntero(DesdeOperario->Text(), QStringLiteral("Desde Operario")) &&
           ValidarEntero(HastaOperario->Text(), QStringLiteral("Hasta Operario")) &&
           ValidarFecha(DesdeFecha->Text(), QStringLiteral("Desde Fecha")) &&
           ValidarFecha(HastaFecha->Text(), QStringLiteral("Hasta Fecha"));
}

bool TInformeCalendario::RecorrerOperarios(
    TTable* Personal, int Desde, int Hasta, bool Activos, bool NoActivos, const QString& Rangos,
    const std::function<void(int Codigo, TRellenoListado& Relleno)>& PorOperario) {
    TRellenoListado relleno(Temporal, QStringLiteral("Listado de Operarios"));
    Personal->setIndexName(QString());
    Personal->SetRange({Desde}, {Hasta});
    TField* codigo = Personal->FieldByName(QStringLiteral("CodigoOperario"));
    for (Personal->First(); !Personal->Eof(); Personal->Next()) {
        const int c = codigo->AsInteger();
        if (!relleno.Seguir(QStringLiteral("Operario: ") + QString::number(c))) break;
        if (!OperarioSeleccionado(c, Activos, NoActivos, Rangos)) continue;
        PorOperario(c, relleno);
        if (ListadoCancelado) break;
    }
    Personal->CancelRange();
    return !ListadoCancelado;
}

QString CondicionFechas(const QString& Campo, const QDate& Desde, const QDate& Hasta) {
    return QStringLiteral("(") + Campo + QStringLiteral(" >= ") + ValorSQL(Desde) +
           QStringLiteral(" AND ") + Campo + QStringLiteral(" < ") + ValorSQL(Hasta.addDays(1)) +
           QStringLiteral(")");
}
