#pragma once
// "Listado de Contratos": the official documents of the employees' contracts
// (the contract, the TA2 registration form, the company certificate and the
// extension) for a range of employees and contract start dates, filled by
// RellenarImpresos (nomilcon_rellenar.h) and printed by the print engine with
// a format of IMPRESO. The personnel master opens it for the current
// employee's contract through the properties below, set right after
// creation; with ImprimirDirectamenteContratos (set last) the documents go
// to the printer and the window closes.

#include <QDate>
#include <QVariant>

#include "nomina/nomilcon_rellenar.h"
#include "ui/form.h"

class TButton;
class TCheckBox;
class TComboBox;
class TDataSource;
class TDBLookupComboBox;
class TEdit;
class TPanel;
class TRadioButton;
class TStatusBar;
class TTable;

class TfNOMILCON : public TForm {
    Q_OBJECT
    Q_PROPERTY(int OperarioDesdeContratos READ OperarioDesde WRITE setOperarioDesdeContratos)
    Q_PROPERTY(int OperarioHastaContratos READ OperarioHasta WRITE setOperarioHastaContratos)
    Q_PROPERTY(QVariant FechaDesdeContratos READ FechaDesde WRITE setFechaDesdeContratos)
    Q_PROPERTY(QVariant FechaHastaContratos READ FechaHasta WRITE setFechaHastaContratos)
    Q_PROPERTY(bool ImprimirDirectamenteContratos READ ImprimirDirectamente WRITE
                   setImprimirDirectamenteContratos)
public:
    explicit TfNOMILCON(QWidget* owner = nullptr);
    ~TfNOMILCON() override;

    // Panel1.
    TEdit* DesdeFecha;
    TEdit* HastaFecha;
    TEdit* DesdeOperario;
    TEdit* HastaOperario;
    TEdit* NumeroCopias;
    TEdit* EditNumeroTrabajadores;
    TEdit* EditOficinaINEM;
    TEdit* EditFechaPresentacion;
    TCheckBox* VisualizacionPrevia;
    TStatusBar* StatusBar1;
    TButton* pbListar;
    TButton* pbSalir;
    TRadioButton* Contratos;
    TRadioButton* TA2;
    TRadioButton* CertificadoEmpresa;
    TRadioButton* ProrrogaContrato;
    // Extension data.
    TPanel* Panel3;
    TEdit* NumeroProrroga;
    TEdit* MesesDuracion;
    TEdit* DuracionInicial;
    // Certificate data.
    TPanel* Panel4;
    TEdit* DiasCertificado;
    TEdit* CausaSituacionDesempleo;
    TEdit* EditCodigoCausa;
    TComboBox* EditTipoContratosTiempoParcial[4];
    TEdit* EditDiasContratosTiempoParcial[4];
    TEdit* EditDiasDesdeContratosTiempoParcial[4];
    TEdit* EditDiasHastaContratosTiempoParcial[4];
    TEdit* EditFechaSuspension;
    TEdit* EditFechaFinSuspension;
    TEdit* EditNumERE;
    TEdit* EditReduccionRegulacion;
    TEdit* EditReduccionCuidados;
    TEdit* EditNumDiasTramitacion;
    TEdit* EditDiasTramitacionDel;
    TEdit* EditDiasTramitacionAl;
    TCheckBox* UltimoContrato;
    TEdit* EditObservaciones;
    TPanel* PanelControl;
    TDBLookupComboBox* EditFormatoImpreso;

    TTable* Personal;
    TTable* HContrato;
    TTable* Impreso;
    TDataSource* DSImpreso;

    // A listing runs: the window refuses to close and a second listing.
    bool Listando = false;

    void FormCreate();
    void pbListarClick();
    void ContratosClick();
    void TA2Click();
    void CertificadoEmpresaClick();
    void ProrrogaContratoClick();
    void EditCodigoCausaDblClick();
    // The checks before listing; each failure has shown its message.
    bool ComprobarDatos();
    void ListarImpresos();
    void MostrarEstado(const QString& Texto);
    // What the user typed, for RellenarImpresos.
    TDatosContratos Datos() const;
    Q_INVOKABLE void BuscarDatosDBEdit() {}

    int OperarioDesde() const { return operarioDesde_; }
    int OperarioHasta() const { return operarioHasta_; }
    QVariant FechaDesde() const { return fechaDesde_; }
    QVariant FechaHasta() const { return fechaHasta_; }
    bool ImprimirDirectamente() const { return imprimirDirectamente_; }
    void setOperarioDesdeContratos(int v);
    void setOperarioHastaContratos(int v);
    void setFechaDesdeContratos(const QVariant& v);
    void setFechaHastaContratos(const QVariant& v);
    void setImprimirDirectamenteContratos(bool v);

private:
    void opcion(TDatosContratos::TOpcion o, int top, const char* copias, TPanel* panel,
                const char* tipoDocumento);
    void ajustarAltura();
    void aplicarPreselecciones();
    Q_INVOKABLE void imprimirDirectamente();
    int operarioDesde_ = 0, operarioHasta_ = 0;
    QVariant fechaDesde_, fechaHasta_;
    bool imprimirDirectamente_ = false;
};

extern TfNOMILCON* fNOMILCON;

// The chosen option's default format code, handed to the engine.
QString FormatoOpcionContratos(TDatosContratos::TOpcion Opcion);

// Puts the window in the form registry (idempotent).
void RegistrarTfNOMILCON();
