#include "gene/dialogs/genevmem.h"

#include <QTextCursor>
#include <QVBoxLayout>

#include "db/datasource.h"
#include "db/field.h"
#include "gene/data/genemodu.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "ui/dbcontrols.h"

TfGENEVMEM* fGENEVMEM = nullptr;

TfGENEVMEM::TfGENEVMEM(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEVMEM"));
    setCaption(QStringLiteral("Visor de Campos de Texto"));
    setKeyPreview(true);
    setPosition(poScreenCenter);
    resize(480, 360);
    if (!fGENEVMEM) fGENEVMEM = this;

    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* capa = new QVBoxLayout(Panel1);
    capa->setContentsMargins(0, 0, 0, 0);
    DBMemo = new TDBMemo(Panel1);
    DBMemo->setObjectName(QStringLiteral("DBMemo"));
    DBMemo->setTabChangesFocus(false);
    capa->addWidget(DBMemo);
    raiz->addWidget(Panel1);

    OnCreate = [this](QObject*) {
        if (fGENEINIC) AbrirTablasFormulario(fGENEINIC, this);
    };
    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
    OnActivate = [this](QObject*) { update(); };
    OnClose = [this](QObject*, TCloseAction& Action) {
        QuitarLineasFinales();
        // Closing is the memo's exit: what was typed goes into the bound
        // field before the memo is unbound.
        if (DBMemo->Field() && !DBMemo->ReadOnly() && DBMemo->Text() != DBMemo->Field()->AsString())
            DBMemo->UpdateRecord();
        Action = caHide;
    };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (Key == VK_ESCAPE) {
            Key = 0;
            Close();
            return;
        }
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
}

TfGENEVMEM::~TfGENEVMEM() {
    if (fGENEVMEM == this) fGENEVMEM = nullptr;
}

void TfGENEVMEM::Vincular(TDataSet* DataSet, const QString& NombreCampo, bool SoloLectura) {
    DBMemo->setDataField(QString());
    DBMemo->setDataSource(nullptr);
    DataSource1->setDataSet(DataSet);
    DBMemo->setReadOnly(SoloLectura);
    if (!DataSet) return;
    DBMemo->setDataSource(DataSource1);
    DBMemo->setDataField(NombreCampo);
}

void TfGENEVMEM::QuitarLineasFinales() {
    if (DBMemo->ReadOnly() || DBMemo->isReadOnly() || !DBMemo->Field()) return;
    // Cut from the value as the field would hold it, so that the line ends
    // of the lines kept stay as they were stored.
    const QString valor = DBMemo->Value();
    qsizetype n = valor.size();
    while (n > 0 && (valor.at(n - 1) == QLatin1Char('\n') || valor.at(n - 1) == QLatin1Char('\r')))
        --n;
    if (n < valor.size()) DBMemo->Field()->setAsString(valor.left(n));
}

namespace {

QString TituloTraducido(const QString& Fijo, const QString& Titulo, const QString& NombreCampo) {
    if (IdiomaActual.isEmpty()) return Titulo;
    TModuloDatos* m = ModuloDatosPreparado ? ModuloDatos : nullptr;
    QString texto, campo;
    Traducir(m, Fijo, QString(), QString(), texto);
    Traducir(m, AbreviarTitulo(NombreCampo, 1), QString(), QString(), campo);
    return texto + QStringLiteral(" (") + campo + QLatin1Char(')');
}

TfGENEVMEM* Visor() {
    if (!fGENEVMEM) NewForm<TfGENEVMEM>();
    return fGENEVMEM;
}

void MostrarCampo(TDataSet* DataSet, const QString& Titulo, const QString& NombreCampo,
                  bool SoloLectura, const QString& Opciones, QString* Texto) {
    TfGENEVMEM* visor = Visor();
    visor->setCaption(TituloTraducido(SoloLectura
                                          ? QStringLiteral("Visor de Campo de Texto")
                                          : QStringLiteral("Visualizar/Asignar Campo de Texto"),
                                      Titulo, NombreCampo));
    visor->Vincular(DataSet, NombreCampo, SoloLectura);
    QTextCursor cursor = visor->DBMemo->textCursor();
    cursor.movePosition(Opciones.contains(QLatin1String("CursorAlFinal")) ? QTextCursor::End
                                                                          : QTextCursor::Start);
    visor->DBMemo->setTextCursor(cursor);
    visor->setActiveControl(visor->DBMemo);
    struct Desvincular {
        TfGENEVMEM* visor;
        ~Desvincular() {
            if (fGENEVMEM == visor) visor->Vincular(nullptr, QString(), false);
        }
    } desvincular{visor};
    visor->ShowModal();
    if (Texto && fGENEVMEM == visor) *Texto = visor->DBMemo->Value();
}

}  // namespace

void VisualizarAsignarCampoTexto(TDataSet* DataSet, const QString& Titulo,
                                 const QString& NombreCampo, QString& Texto,
                                 const QString& Opciones) {
    MostrarCampo(DataSet, Titulo, NombreCampo, false, Opciones, &Texto);
}

void VisorCampoTexto(TDataSet* DataSet, const QString& Titulo, const QString& NombreCampo) {
    MostrarCampo(DataSet, Titulo, NombreCampo, true, QString(), nullptr);
}
