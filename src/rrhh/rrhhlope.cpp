#include "rrhh/rrhhlope.h"

#include <QBoxLayout>

#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali.h"
#include "gene/data/genetext.h"
#include "gene/session/sesion.h"
#include "rrhh/rrqrlope.h"
#include "ui/controls.h"
#include "ui/registry.h"

TfRRHHLOPE* fRRHHLOPE = nullptr;

TfRRHHLOPE::TfRRHHLOPE(QWidget* owner)
    : TfRRHHLOPE(owner, QStringLiteral("fRRHHLOPE"), QStringLiteral("Listado de Operarios"),
                 QStringLiteral("Personal")) {
    OpcionesActivos(Activos, NoActivos);
    fRRHHLOPE = this;
}

TfRRHHLOPE::TfRRHHLOPE(QWidget* owner, const QString& nombre, const QString& titulo,
                       const QString& Perfil)
    : TDialogoListado(owner, nombre, titulo), perfil_(Perfil) {
    FilaPuestos(DesdePuesto, HastaPuesto);

    auto* grupos = new QWidget(Panel2);
    auto* fila = new QHBoxLayout(grupos);
    fila->setContentsMargins(0, 0, 0, 0);
    const auto lista = [&](const char* nombreLista, const char* etiqueta) {
        auto* columna = new QVBoxLayout;
        columna->addWidget(new TLabel(grupos, QString::fromUtf8(etiqueta)));
        auto* l = new TListBox(grupos);
        l->setObjectName(QLatin1String(nombreLista));
        l->setMultiSelect(true);
        columna->addWidget(l);
        fila->addLayout(columna);
        return l;
    };
    ListaGruposDisponibles = lista("ListaGruposDisponibles", "Grupos de Análisis Disponibles");
    auto* botones = new QVBoxLayout;
    const auto boton = [&](const char* nombreBoton, const char* caption) {
        auto* b = new TBitBtn(grupos, QLatin1String(caption));
        b->setObjectName(QLatin1String(nombreBoton));
        botones->addWidget(b);
        return b;
    };
    pbASelecionados = boton("pbASelecionados", ">");
    pbASelecionadosTodo = boton("pbASelecionadosTodo", ">>");
    pbADisponibles = boton("pbADisponibles", "<");
    pbADisponiblesTodo = boton("pbADisponiblesTodo", "<<");
    fila->addLayout(botones);
    ListaGruposSeleccionados =
        lista("ListaGruposSeleccionados", "Grupos de Análisis Seleccionados");
    FilaSeleccion(QString(), grupos);

    pbASelecionados->OnClick = [this](QObject*) { pbASelecionadosClick(); };
    pbASelecionadosTodo->OnClick = [this](QObject*) { pbASelecionadosTodoClick(); };
    pbADisponibles->OnClick = [this](QObject*) { pbADisponiblesClick(); };
    pbADisponiblesTodo->OnClick = [this](QObject*) { pbADisponiblesTodoClick(); };
}

TfRRHHLOPE::~TfRRHHLOPE() {
    if (fRRHHLOPE == this) fRRHHLOPE = nullptr;
}

void TfRRHHLOPE::ValoresIniciales() {
    ListaGruposSeleccionados->Clear();
    // The profile's categories one per line, exactly as written (blanks too).
    QString categorias = ValorParametro(
        perfil_, ParametroGeneral(ModuloDatos, QStringLiteral("PerfilesCategoriasGA")));
    ListaGruposDisponibles->setItems(categorias.isEmpty() ? QStringList()
                                                          : categorias.split(QLatin1Char(',')));
    actualizarBotones();
}

void TfRRHHLOPE::actualizarBotones() {
    const bool disponibles = ListaGruposDisponibles->count() > 0;
    const bool seleccionados = ListaGruposSeleccionados->count() > 0;
    pbASelecionados->setEnabled(disponibles);
    pbASelecionadosTodo->setEnabled(disponibles);
    pbADisponibles->setEnabled(seleccionados);
    pbADisponiblesTodo->setEnabled(seleccionados);
}

void MoverCategorias(TListBox* Origen, TListBox* Destino, bool Todos) {
    QStringList items = Destino->Items();
    QList<int> movidos;
    for (int i = 0; i < Origen->count(); ++i)
        if (Todos || Origen->Selected(i)) movidos << i;
    for (int i : movidos) items << Origen->item(i)->text();
    Destino->setItems(items);
    for (int k = int(movidos.size()) - 1; k >= 0; --k) delete Origen->takeItem(movidos[k]);
    if (Todos) {
        if (Destino->count() > 0) Destino->setItemIndex(0);
        return;
    }
    if (movidos.isEmpty() || Origen->count() == 0) return;
    const int indice = std::min(movidos.first(), Origen->count() - 1);
    Origen->setItemIndex(indice);
    Origen->setSelected(indice, true);
}

void TfRRHHLOPE::pbASelecionadosClick() {
    MoverCategorias(ListaGruposDisponibles, ListaGruposSeleccionados, false);
    actualizarBotones();
}

void TfRRHHLOPE::pbASelecionadosTodoClick() {
    MoverCategorias(ListaGruposDisponibles, ListaGruposSeleccionados, true);
    actualizarBotones();
}

void TfRRHHLOPE::pbADisponiblesClick() {
    MoverCategorias(ListaGruposSeleccionados, ListaGruposDisponibles, false);
    actualizarBotones();
}

void TfRRHHLOPE::pbADisponiblesTodoClick() {
    MoverCategorias(ListaGruposSeleccionados, ListaGruposDisponibles, true);
    actualizarBotones();
}

bool TfRRHHLOPE::Validar() {
    return ValidarOperarios();
}

TInformeListado* TfRRHHLOPE::CrearInforme() {
    // The calculated columns read the chosen categories from the creation on.
    auto* r = new TfRRQRLOPE(ListaGruposSeleccionados, this);
    r->DesdeOperario = DesdeOperario->Text().trimmed().toInt();
    r->HastaOperario = HastaOperario->Text().trimmed().toInt();
    r->DesdePuesto = DesdePuesto->Text();
    r->HastaPuesto = HastaPuesto->Text();
    r->RangosGruposAnalisis = RangosGruposAnalisis;
    r->Activos = Activos->isChecked();
    r->NoActivos = NoActivos->isChecked();
    return r;
}

void RegistrarTfRRHHLOPE() {
    if (!FormClassRegistered(QStringLiteral("TfRRHHLOPE")))
        RegisterFormClass<TfRRHHLOPE>(QStringLiteral("TfRRHHLOPE"));
}

namespace {
const bool registrado = [] {
    RegistrarTfRRHHLOPE();
    return true;
}();
}  // namespace
