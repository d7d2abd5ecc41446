#pragma once
// "Configuración de Impresos": the print formats of IMPRESO (header data and
// the program text in the format language), on the record form of the master
// template. Opened modally by Ctrl+P in any "EditFormatoImpreso" field, which
// sets Modo ("Contexto") and CodigoImpreso (the format shown). F9 saves the
// format and previews it on an empty document; the program text is imported
// from and exported to text files. Without the process "Modificar Impresos"
// every format is read-only.

#include "gene/session/genemaes.h"

class TDBComboBox;
class TDBMemo;
class TPageControl;
class TTabSheet;

// How the editor was opened: "Contexto" from a format-code field; cleared
// when it closes.
extern QString ModoImpresos;

class TfGENEIMPR : public TMaestroFicha {
    Q_OBJECT
    Q_PROPERTY(QString Modo READ Modo WRITE setModo)
    Q_PROPERTY(QString CodigoImpreso READ CodigoActual WRITE setCodigoImpreso)
public:
    explicit TfGENEIMPR(QWidget* owner = nullptr);
    ~TfGENEIMPR() override;

    TDBEdit* EditCodigo;
    TDBEdit* EditDescripcion;
    TDBComboBox* EditTipoDocumento;
    TDBComboBox* EditModo;
    TDBComboBox* EditFormato;
    TPageControl* PageControl1;
    TTabSheet* Instrucciones;
    TTabSheet* Adicional;
    TDBMemo* EditInstrucciones;
    TDBComboBox* EditImpresoraPorDefecto;
    TBitBtn* pbSimular;
    TBitBtn* pbImportar;
    TBitBtn* pbExportar;
    TBitBtn* pbCambiarFont;

    QString Modo() const { return ModoImpresos; }
    void setModo(const QString& v) { ModoImpresos = v; }
    QString CodigoActual() const;
    // Shows the format of that code; an unknown code leaves the current one.
    void setCodigoImpreso(const QString& Codigo);

    void FormCreate(QObject* Sender) override;
    void FormClose(QObject* Sender, TCloseAction& Action) override;
    void FormKeyDown(QObject* Sender, int& Key, int Shift) override;
    void FormKeyPress(QObject* Sender, QChar& Key) override;
    void Table1NewRecord(TDataSet* DataSet) override;
    void Table1BeforePost(TDataSet* DataSet) override;
    void Table1AfterPost(TDataSet* DataSet) override;
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender) override {}
    Q_INVOKABLE void DocumentacionElectronica1Click(QObject* Sender) override {}

    // The data check of a control (nullptr: all of them); false refuses it.
    bool ComprobarDatos(QObject* Control);
    // Saves the format when it is being edited, then previews it.
    Q_INVOKABLE void pbSimularClick(QObject* Sender);
    Q_INVOKABLE void pbImportarClick(QObject* Sender);
    Q_INVOKABLE void pbExportarClick(QObject* Sender);
    Q_INVOKABLE void pbCambiarFontClick(QObject* Sender);
    Q_INVOKABLE void pbAyudaClick(QObject* Sender);
};

extern TfGENEIMPR* fGENEIMPR;

// Puts the form class in the form registry (idempotent).
void RegistrarTfGENEIMPR();
