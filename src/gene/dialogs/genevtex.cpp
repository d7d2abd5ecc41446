#include "gene/dialogs/genevtex.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <memory>

#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/data/genetext.h"
#include "ui/controls.h"

TGeometriaDialogo GeometriaEditorTextos;

void LeerFormatoDialogo(const QString& Formato, TGeometriaDialogo& Geometria) {
    int* destinos[] = {&Geometria.Left, &Geometria.Top, &Geometria.Width, &Geometria.Height};
    const QStringList partes = Formato.split(QLatin1Char(','));
    for (int i = 0; i < 4 && i < partes.size(); ++i) {
        bool ok = false;
        const int v = partes[i].trimmed().toInt(&ok);
        if (ok) *destinos[i] = v;
    }
}

void AplicarGeometriaDialogo(TForm* Dialogo, const TGeometriaDialogo& Geometria,
                             TPosition Centrado) {
    if (Geometria.Width != 0) Dialogo->setWidth(Geometria.Width);
    if (Geometria.Height != 0) Dialogo->setHeight(Geometria.Height);
    if (Geometria.Left != 0 || Geometria.Top != 0) {
        Dialogo->setPosition(poDesigned);
        Dialogo->setLeft(Geometria.Left);
        Dialogo->setTop(Geometria.Top);
    } else {
        Dialogo->setPosition(Centrado);
    }
}

void RecordarGeometriaDialogo(const TForm* Dialogo, TGeometriaDialogo& Geometria) {
    Geometria.Left = Dialogo->Left();
    Geometria.Top = Dialogo->Top();
    Geometria.Width = Dialogo->Width();
    Geometria.Height = Dialogo->Height();
}

TButton* CrearBotonDialogo(QWidget* Padre, const QString& Nombre, const QString& Titulo,
                           const QString& Hint, int ModalResult, bool Cancelar) {
    auto* boton = new TButton(Padre, Titulo);
    boton->setObjectName(Nombre);
    boton->setHint(Hint);
    boton->setModalResult(ModalResult);
    if (Cancelar) boton->setCancel(true);
    return boton;
}

TSpeedButton* CrearBotonBarra(QWidget* Padre, QBoxLayout* Barra, const QString& Nombre,
                              const QString& Titulo, const QString& Hint) {
    auto* boton = new TSpeedButton(Padre, Titulo);
    boton->setObjectName(Nombre);
    boton->setToolTip(Hint);
    Barra->addWidget(boton);
    return boton;
}

TPanel* CrearPanelCentrado(QWidget* Padre, const QString& Nombre,
                           const QList<QWidget*>& Controles) {
    auto* panel = new TPanel(Padre);
    panel->setObjectName(Nombre);
    auto* capa = new QHBoxLayout(panel);
    capa->setContentsMargins(2, 2, 2, 2);
    capa->setSpacing(2);
    capa->addStretch(1);
    for (QWidget* c : Controles) {
        c->setParent(panel);
        capa->addWidget(c);
    }
    capa->addStretch(1);
    return panel;
}

void TeclasComunesDialogo(TForm* Dialogo) {
    Dialogo->OnKeyDown = [Dialogo](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, Dialogo, Key, Shift);
    };
    Dialogo->OnKeyPress = [Dialogo](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, Dialogo, Key);
    };
}

TfGENETEXT::TfGENETEXT(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENETEXT"));
    setCaption(QStringLiteral("Editor de Textos"));
    setKeyPreview(true);
    resize(265, 321);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    P1 = new TPanel(this);
    P1->setObjectName(QStringLiteral("P1"));
    auto* capaMemo = new QVBoxLayout(P1);
    capaMemo->setContentsMargins(2, 2, 2, 2);
    Memo1 = new TMemo(P1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    capaMemo->addWidget(Memo1);
    raiz->addWidget(P1, 1);

    pbAceptar = CrearBotonDialogo(this, QStringLiteral("pbAceptar"), QStringLiteral("&Aceptar"),
                                  QStringLiteral("Aceptar los datos actuales"), mrOk);
    pbCancelar =
        CrearBotonDialogo(this, QStringLiteral("pbCancelar"), QStringLiteral("&Cancelar"),
                          QStringLiteral("Abandonar sin asignar los datos"), mrCancel, true);
    Panel1 = CrearPanelCentrado(this, QStringLiteral("Panel1"), {pbAceptar, pbCancelar});
    Panel1->setBevelOuter(bvNone);
    PanelControl = CrearPanelCentrado(this, QStringLiteral("PanelControl"), {Panel1});
    raiz->addWidget(PanelControl);

    OnCreate = [this](QObject*) {
        AplicarGeometriaDialogo(this, GeometriaEditorTextos);
        if (fGENEINIC) {
            AplicarAspecto(fGENEINIC, this);
            TraducirFormulario(fGENEINIC, this, QString());
        }
    };
    OnClose = [this](QObject*, TCloseAction&) {
        RecordarGeometriaDialogo(this, GeometriaEditorTextos);
    };
    TeclasComunesDialogo(this);
}

void EditarTexto(TfGENEINIC*, const QString& Opciones, const QString& Texto, QString& Resultado) {
    Resultado = Texto;
    const QString formato = ValorParametro(QStringLiteral("Formato"), Opciones);
    if (!formato.isEmpty()) LeerFormatoDialogo(formato, GeometriaEditorTextos);
    std::unique_ptr<TfGENETEXT> editor(NewForm<TfGENETEXT>());
    editor->setCaption(ValorParametro(QStringLiteral("Titulo"), Opciones));
    editor->Memo1->setText(Texto);
    editor->setActiveControl(editor->pbAceptar);
    if (editor->ShowModal() == mrOk) Resultado = editor->Memo1->Text();
}
