#include "gene/dialogs/genesele.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <memory>

#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/data/genetext.h"
#include "ui/controls.h"
#include "ui/menus.h"

TGeometriaDialogo GeometriaSeleccion;

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

TfGENESELE::TfGENESELE(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENESELE"));
    setCaption(QStringLiteral("Selección de Opciones"));
    setKeyPreview(true);
    resize(265, 321);

    MainMenu1 = new TMainMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Opciones =
        new TMenuItem(MainMenu1->Items(), QStringLiteral("Opciones1"), QStringLiteral("Opciones"));
    SeleccionarTodo = new TMenuItem(Opciones, QStringLiteral("SeleccionarTodo"),
                                    QStringLiteral("Seleccionar todo"));
    DeseleccionarTodo = new TMenuItem(Opciones, QStringLiteral("DeseleccionarTodo"),
                                      QStringLiteral("Deseleccionar todo"));
    Invertirleleccion = new TMenuItem(Opciones, QStringLiteral("Invertirleleccion"),
                                      QStringLiteral("Invertir la selección"));
    new TMenuItem(Opciones, QStringLiteral("N1"), QStringLiteral("-"));
    RestaurarSeleccionInicial = new TMenuItem(Opciones, QStringLiteral("RestaurarSeleccionInicial"),
                                              QStringLiteral("Restaurar la selección inicial"));
    setMenu(MainMenu1);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    P1 = new TPanel(this);
    P1->setObjectName(QStringLiteral("P1"));
    auto* capaLista = new QVBoxLayout(P1);
    capaLista->setContentsMargins(2, 2, 2, 2);
    ListBox1 = new TListBox(P1);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    capaLista->addWidget(ListBox1);
    raiz->addWidget(P1, 1);

    pbAceptar = CrearBotonDialogo(this, QStringLiteral("pbAceptar"), QStringLiteral("&Aceptar"),
                                  QStringLiteral("Aceptar los datos actuales"), mrOk);
    pbCancelar =
        CrearBotonDialogo(this, QStringLiteral("pbCancelar"), QStringLiteral("&Salir"),
                          QStringLiteral("Abandonar sin modificar la selección"), mrIgnore, true);
    Panel1 = CrearPanelCentrado(this, QStringLiteral("Panel1"), {pbAceptar, pbCancelar});
    Panel1->setBevelOuter(bvNone);
    PanelControl = CrearPanelCentrado(this, QStringLiteral("PanelControl"), {Panel1});
    raiz->addWidget(PanelControl);

    OnCreate = [this](QObject*) {
        AplicarGeometriaDialogo(this, GeometriaSeleccion);
        if (fGENEINIC) PrepararFormulario(fGENEINIC, this);
    };
    OnShow = [this](QObject*) {
        RegistrarSeleccionInicial();
        setActiveControl(pbAceptar);
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnClose = [this](QObject*, TCloseAction&) {
        RecordarGeometriaDialogo(this, GeometriaSeleccion);
    };
    TeclasComunesDialogo(this);
    ListBox1->OnDblClick = [this](QObject*) { setModalResult(mrOk); };
    SeleccionarTodo->OnClick = [this](QObject*) { SeleccionarTodoClick(); };
    DeseleccionarTodo->OnClick = [this](QObject*) { DeseleccionarTodoClick(); };
    Invertirleleccion->OnClick = [this](QObject*) { InvertirleleccionClick(); };
    RestaurarSeleccionInicial->OnClick = [this](QObject*) { RestaurarSeleccionInicialClick(); };
}

bool TfGENESELE::Multiple() const {
    return ListBox1->MultiSelect();
}

void TfGENESELE::setMultiple(bool Multiple) {
    ListBox1->setMultiSelect(Multiple);
}

void TfGENESELE::seleccionar(const QList<int>& filas) {
    ListBox1->clearSelection();
    if (Multiple()) {
        for (int i : filas) ListBox1->setSelected(i, true);
    } else if (!filas.isEmpty()) {
        ListBox1->setItemIndex(filas.last());
        ListBox1->setSelected(filas.last(), true);
    }
}

void TfGENESELE::Cargar(const QString& Elementos, bool Ordenada) {
    QStringList lineas = LineasTexto(Ordenada ? OrdenarLineas(Elementos) : Elementos);
    QList<int> marcadas;
    for (int i = 0; i < lineas.size(); ++i) {
        const qsizetype estrella = lineas[i].indexOf(QLatin1Char('*'));
        if (estrella < 0) continue;
        lineas[i].remove(estrella, 1);
        marcadas << i;
    }
    ListBox1->setItems(lineas);
    seleccionar(marcadas);
}

QString TfGENESELE::TextoSeleccion() const {
    QStringList elegidas;
    for (int i = 0; i < ListBox1->count(); ++i)
        if (ListBox1->Selected(i)) elegidas << ListBox1->item(i)->text();
    return elegidas.join(kCrLf);
}

void TfGENESELE::RegistrarSeleccionInicial() {
    SeleccionInicial.clear();
    for (int i = 0; i < ListBox1->count(); ++i)
        if (ListBox1->Selected(i))
            SeleccionInicial += QLatin1Char('\'') + QString::number(i) + QLatin1Char('\'');
}

void TfGENESELE::SeleccionarTodoClick() {
    QList<int> todas;
    for (int i = 0; i < ListBox1->count(); ++i) todas << i;
    seleccionar(todas);
}

void TfGENESELE::DeseleccionarTodoClick() {
    seleccionar({});
}

void TfGENESELE::InvertirleleccionClick() {
    QList<int> filas;
    for (int i = 0; i < ListBox1->count(); ++i)
        if (!ListBox1->Selected(i)) filas << i;
    seleccionar(filas);
}

void TfGENESELE::RestaurarSeleccionInicialClick() {
    QList<int> filas;
    for (int i = 0; i < ListBox1->count(); ++i)
        if (SeleccionInicial.contains(QLatin1Char('\'') + QString::number(i) + QLatin1Char('\'')))
            filas << i;
    seleccionar(filas);
}

void SeleccionarDeLista(TfGENEINIC*, const QString& Opciones, const QString& Elementos,
                        QString& Seleccion) {
    const QString formato = ValorParametro(QStringLiteral("Formato"), Opciones);
    if (!formato.isEmpty()) LeerFormatoDialogo(formato, GeometriaSeleccion);
    std::unique_ptr<TfGENESELE> lista(NewForm<TfGENESELE>());
    lista->setCaption(ValorParametro(QStringLiteral("Titulo"), Opciones));
    lista->setMultiple(
        ValorParametro(QStringLiteral("Modo"), Opciones).contains(QLatin1String("Multiple")));
    lista->Cargar(
        Elementos,
        ValorParametro(QStringLiteral("Opciones"), Opciones).contains(QLatin1String("Ordenada")));
    // Any way out but "&Aceptar" gives back the lines marked with "*".
    if (lista->ShowModal() != mrOk) lista->Cargar(Elementos, false);
    Seleccion = lista->TextoSeleccion();
}
