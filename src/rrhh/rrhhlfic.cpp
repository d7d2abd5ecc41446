#include "rrhh/rrhhlfic.h"

#include <QPointer>
#include <QTimer>

#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/print/genelimp.h"
#include "nomina/nomimodu.h"
#include "rrhh/rrhhfich.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLFIC* fRRHHLFIC = nullptr;

namespace {

// A sheet prints what the personnel master's hidden pages hold: the sheets of
// the employees the user may not see are left out. Their number.
int QuitarNoAccesibles(TDataSet* Fichas) {
    int excluidos = 0;
    Fichas->First();
    while (!Fichas->Eof()) {
        if (OperarioAccesibleActual(
                Fichas->FieldByName(QStringLiteral("CodigoOperario"))->AsInteger())) {
            Fichas->Next();
        } else {
            Fichas->Delete();
            ++excluidos;
        }
    }
    return excluidos;
}

}  // namespace

TDialogoFicha::TDialogoFicha(QWidget* owner, const QString& nombre, const QString& titulo,
                             const QString& TipoDocumento)
    : TDialogoListado(owner, nombre, titulo), tipoDocumento_(TipoDocumento) {
    EditFormatoImpreso = new TComboBox(Panel2);
    EditFormatoImpreso->setObjectName(QStringLiteral("EditFormatoImpreso"));
    EditFormatoImpreso->setStyle(csDropDownList);
    FilaSeleccion(QStringLiteral("Formato del Impreso"), EditFormatoImpreso);
}

void TDialogoFicha::ValoresIniciales() {
    // The formats of the sheet's document type, by code; the first is chosen.
    EditFormatoImpreso->clear();
    TQuery q;
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.setRequestLive(false);
    q.SQL().setText(
        QStringLiteral("SELECT Codigo, Descripcion FROM IMPRESO WHERE TipoDocumento = ") +
        Entrecomillar(tipoDocumento_) + QStringLiteral(" ORDER BY Codigo"));
    if (AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open Silencio"))) {
        TField* codigo = q.FieldByName(QStringLiteral("Codigo"));
        TField* descripcion = q.FieldByName(QStringLiteral("Descripcion"));
        for (; !q.Eof(); q.Next())
            EditFormatoImpreso->addItem(descripcion->AsString(), codigo->AsString());
    }
    EditFormatoImpreso->setCurrentIndex(EditFormatoImpreso->count() > 0 ? 0 : -1);
}

QString TDialogoFicha::FormatoElegido() const {
    return EditFormatoImpreso->currentIndex() < 0 ? QString()
                                                  : EditFormatoImpreso->currentData().toString();
}

bool TDialogoFicha::ValidarFormato(const QString& Cierre) {
    if (!FormatoElegido().isEmpty()) return true;
    MensajeAdvertencia(QStringLiteral("¡Debe definir el Formato del Impreso") + Cierre);
    return false;
}

void TDialogoFicha::ImprimirDirectamente(bool Directamente) {
    if (!Directamente) return;
    VisualizacionPrevia->setChecked(false);
    // After the opener's call has returned: the job runs in the dialog's own
    // turn and the dialog closes when it ends.
    QTimer::singleShot(0, this, [d = QPointer<TDialogoFicha>(this)] {
        if (!d) return;
        d->pbListarClick();
        if (d) d->Close();
    });
}

void TDialogoFicha::Listar() {
    PrevisualizarImpreso = VisualizacionPrevia->isChecked();
    CodigoImpreso = FormatoElegido();
    Imprimir();
}

TfRRHHLFIC::TfRRHHLFIC(QWidget* owner)
    : TDialogoFicha(owner, QStringLiteral("fRRHHLFIC"),
                    QStringLiteral("Listado de Fichas del Personal"),
                    QStringLiteral("Ficha Personal")) {
    DesdeOperario->setMaxLength(4);
    HastaOperario->setMaxLength(4);
    NumeroCopias = NuevoEdit(QStringLiteral("NumeroCopias"), QStringLiteral("1"), 4);
    FilaSeleccion(QStringLiteral("Número de Copias"), NumeroCopias);
    OpcionesActivos(Activos, NoActivos);
    fRRHHLFIC = this;
}

TfRRHHLFIC::~TfRRHHLFIC() {
    if (fRRHHLFIC == this) fRRHHLFIC = nullptr;
}

int TfRRHHLFIC::Desde() const {
    return DesdeOperario->Text().trimmed().toInt();
}

int TfRRHHLFIC::Hasta() const {
    return HastaOperario->Text().trimmed().toInt();
}

void TfRRHHLFIC::setOperarioDesdeFicha(int Codigo) {
    DesdeOperario->setText(QString::number(Codigo));
}

void TfRRHHLFIC::setOperarioHastaFicha(int Codigo) {
    HastaOperario->setText(QString::number(Codigo));
}

bool TfRRHHLFIC::Validar() {
    const bool formato = ValidarFormato(QString());
    const bool valores =
        ValidarOperarios() && ValidarEntero(NumeroCopias->Text(), QStringLiteral("Número Copias"));
    return formato && valores;
}

void TfRRHHLFIC::Imprimir() {
    TSeleccionFichas s;
    s.DesdeOperario = Desde();
    s.HastaOperario = Hasta();
    s.Activos = Activos->isChecked();
    s.NoActivos = NoActivos->isChecked();
    s.RangosGruposAnalisis = RangosGruposAnalisis;
    s.NumeroCopias = NumeroCopias->Text().trimmed().toInt();
    int excluidos = 0;
    ImprimirFichas(DefinicionFichas(TTipoFicha::Personal), QString(), QString(), DestinoImpreso,
                   [&s, &excluidos](TfGENELIMP* motor) {
                       RellenarFichas(TTipoFicha::Personal, motor->Temporal, s);
                       excluidos = QuitarNoAccesibles(motor->Temporal);
                   });
    if (excluidos > 0) MensajeInformacion(AvisoOperariosNoAccesibles(excluidos));
}

void RegistrarTfRRHHLFIC() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLFIC")))
        RegisterFormClass<TfRRHHLFIC>(QStringLiteral("TfRRHHLFIC"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLFIC();
    return true;
}();
}  // namespace
