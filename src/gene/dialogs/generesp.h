#pragma once
// Documentary responsibility of a record: who carried out the documented
// work (RealizadoPor), who approved it (AprobadoPor) and who last registered
// a change (RegistradoPor), each with a date, in one RESPDOC row per owner
// record; the fields a table requires are configured in CONFRESP
// (CamposSolicitados: one field a line, "RealizadoPor" and "AprobadoPor"
// optionally followed by ":" and the employee codes authorized for the role,
// separated by ","). People are attendance employees (OPERARIO); the current
// user's employee is the one whose CodigoUsuario is the user's code.
//
// The session creates the dialog after writing TablaResponsabilidad and
// ClaveResponsabilidad (geneinic_servicios.h): creating it stamps the last
// registration silently; it is shown modally only when HayDatos.

#include <QString>
#include <QStringList>

#include "ui/form.h"

class TButton;
class TDataSet;
class TDataSource;
class TDBEdit;
class TLabel;
class TPanel;
class TSpeedButton;
class TTable;

class TfGENERESP : public TForm {
    Q_OBJECT
    Q_PROPERTY(bool HayDatos READ HayDatos)
public:
    explicit TfGENERESP(QWidget* owner = nullptr);
    ~TfGENERESP() override;

    TPanel* PanelRegistradoPor;
    TDBEdit* EditNombreRegistradoPor;
    TDBEdit* EditFechaRegistro;
    TPanel* PanelRealizadoPor;
    TSpeedButton* pbAsignarRealizadoPor;
    TSpeedButton* pbDesasignarRealizadoPor;
    TDBEdit* EditNombreRealizadoPor;
    TDBEdit* EditFechaRealizacion;
    TPanel* PanelAprobadoPor;
    TSpeedButton* pbAsignarAprobadoPor;
    TSpeedButton* pbDesasignarAprobadoPor;
    TDBEdit* EditNombreAprobadoPor;
    TDBEdit* EditFechaAprobacion;
    TPanel* PanelControl;
    TButton* pbGrabar;
    TButton* pbCancelar;
    TTable* Table1;  // RESPDOC
    TDataSource* DataSource1;
    TTable* Operario;  // OPERARIO

    // The owner record, without the table's owner prefix.
    QString NombreTabla;
    QString ClaveTabla;
    // The fields CONFRESP requests and the authorized employees per role.
    QStringList CamposSolicitados;
    QString AutorizadosRealizadoPor;
    QString AutorizadosAprobadoPor;
    // Something besides the registration stamp is requested.
    bool CamposEditables = false;
    bool HayDatos() const { return CamposEditables; }

    void FormCreate();
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender) {}
    void Table1CalcFields(TDataSet* DataSet);
    // The roles: "RealizadoPor" or "AprobadoPor".
    void AsignarOperario(const QString& Campo);
    void DesasignarOperario(const QString& Campo);
    Q_INVOKABLE void pbAsignarRealizadoPorClick(QObject*) { AsignarOperario(kRealizado); }
    Q_INVOKABLE void pbDesasignarRealizadoPorClick(QObject*) { DesasignarOperario(kRealizado); }
    Q_INVOKABLE void pbAsignarAprobadoPorClick(QObject*) { AsignarOperario(kAprobado); }
    Q_INVOKABLE void pbDesasignarAprobadoPorClick(QObject*) { DesasignarOperario(kAprobado); }
    Q_INVOKABLE void pbGrabarClick(QObject* Sender);
    Q_INVOKABLE void pbCancelarClick(QObject* Sender);

    // The checks of the row while it is edited: the role's employee (all
    // roles when Campo is empty) among the authorized ones; checking the
    // whole row also drops a date whose employee is not set.
    bool ValidarRegistro(const QString& Campo);
    // The current user's employee; 0 when the user has none.
    int OperarioUsuario();
    bool Solicitado(const QString& Campo) const { return CamposSolicitados.contains(Campo); }

    static const QString kRealizado;
    static const QString kAprobado;

private:
    bool localizarFila();
    void nuevaFila();
    // The silent registration stamp: user and time of the last change.
    void estamparRegistro();
    QString autorizados(const QString& Campo) const;
    bool insertada_ = false;
};

// Whether the employee is in a "," list of codes (compared as text; the
// list ends at its first empty item).
bool OperarioAutorizado(const QString& Lista, int Codigo);
// The search filter that offers only the listed employees:
// "(Codigo=3) OR (Codigo=5)"; "" for an empty list.
QString FiltroOperariosAutorizados(const QString& Lista);

// Puts the dialog in the form registry (idempotent).
void RegistrarTfGENERESP();
