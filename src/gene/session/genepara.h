#pragma once
// The global parameters "Parámetros Globales": the single record of the
// company parameters PARAGENE (IdRegistro 0), edited through the data
// module's ParamGenerales on pages of data controls. A new company's record
// is created with the defaults; guided editors set the numeric templates,
// the mail settings and the listing font; the national and euro currencies
// must differ; saving refreshes the session's standard numeric template.

#include <QString>

#include "ui/form.h"

class TBitBtn;
class TDataSet;
class TDataSource;
class TMainMenu;
class TMenuItem;
class TPageControl;
class TTabSheet;

class TfGENEPARA : public TForm {
    Q_OBJECT
public:
    explicit TfGENEPARA(QWidget* owner = nullptr);
    ~TfGENEPARA() override;

    TDataSource* DataSource1;
    TPageControl* PageControl1;
    TMainMenu* MainMenu1;
    TMenuItem* Plantillas1;
    TMenuItem* ConfigurarPlantillaNumrica11;
    TMenuItem* ConfigurarPlantillaNumrica21;
    TMenuItem* ConfigurarPlantillaNumrica31;
    TMenuItem* ConfigurarPlantillaNumrica41;
    TMenuItem* ConfigurarPlantillaNumrica51;
    TMenuItem* AsignarlasPlantillasporDefecto1;
    TBitBtn* pbGrabar;
    TBitBtn* pbCancelar;
    TBitBtn* pbSalir;

    // The page of that caption.
    TTabSheet* Pagina(const QString& Caption) const;
    // The parameters record (the data module's ParamGenerales), or nullptr.
    TDataSet* Parametros() const;

    void FormCreate(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    Q_INVOKABLE void pbGrabarClick(QObject* Sender);
    Q_INVOKABLE void pbCancelarClick(QObject* Sender);
    Q_INVOKABLE void pbSalirClick(QObject* Sender);
    // F2: on the mail settings, their editor.
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender);
    Q_INVOKABLE void EditTipoLetraListadosDblClick(QObject* Sender);
    Q_INVOKABLE void AsignarlasPlantillasporDefecto1Click(QObject* Sender);

    // Options "": every default into the record being edited; "PlantillasExt":
    // only PlantillaNumericaExt.
    void AsignarValoresPorDefecto(const QString& Opciones);
    // Asks for the format and the field names of template n (1..5); a
    // cancelled prompt leaves the template as it was.
    void ConfigurarPlantilla(int n);
    // The mail settings in the Name=Value editor; kept when it is cancelled.
    void ConfigurarCorreo();
    // False when both currencies are set and are the same one.
    bool MonedasDistintas();

private:
    void PonerEnEdicion();
};

extern TfGENEPARA* fGENEPARA;

// Sets Nombre=Valor in a text of Name=Value lines: the first line of that
// name takes the value, or a line is appended.
void AsignarValorTexto(const QString& Nombre, const QString& Valor, QString& Texto);

// Every default of a new company's parameter record into the record being
// edited; Opciones as for AsignarValoresPorDefecto.
void ValoresPorDefectoParametros(TDataSet* Parametros, const QString& Opciones);
// Makes sure the company's parameter record exists: read again, created with
// the defaults when missing, or the one another session created meanwhile
// read back. False when the dataset is not open or the record is being typed;
// a creation that fails with no record stored throws.
bool ParametrosEmpresaPresentes(TDataSet* Parametros);

// Puts the form class in the form registry (idempotent).
void RegistrarTfGENEPARA();
