#pragma once
// The filling of the contract documents: one Temporal record per page of each
// document of the chosen kind, and for the company certificate one LTemporal
// line per month of contributions. The dialog (TfNOMILCON) hands over what the
// user typed; tests call it without the dialog.

#include <QString>

class QDateTime;
class TTable;

// What the contract documents dialog collects, as the texts typed.
struct TDatosContratos {
    enum TOpcion { Contrato, TA2, CertificadoEmpresa, ProrrogaContrato };
    TOpcion Opcion = Contrato;
    QString DesdeFecha, HastaFecha;
    QString DesdeOperario = QStringLiteral("0"), HastaOperario = QStringLiteral("9999");
    QString NumeroCopias = QStringLiteral("2");
    QString NumeroTrabajadores, OficinaINEM, FechaPresentacion;
    // The code chosen in "Formato del Impreso".
    QString FormatoImpreso;
    // Extension.
    QString NumeroProrroga, MesesDuracion = QStringLiteral("0"),
                            DuracionInicial = QStringLiteral("0");
    // Certificate.
    QString DiasCertificado = QStringLiteral("180");
    QString CodigoCausa, CausaSituacionDesempleo;
    QString TipoParcial[4], DiasParcial[4], DesdeParcial[4], HastaParcial[4];
    QString FechaSuspension, FechaFinSuspension, NumeroERE;
    QString ReduccionRegulacion, ReduccionCuidados;
    QString DiasTramitacion, TramitacionDel, TramitacionAl;
    bool UltimoContrato = false;
    QString Observaciones;
};

// True when the number typed for a column of the document page is one the
// column holds on every engine (a small integer's or an integer's range; a
// real's whole digits as the servers' decimal type keeps them); otherwise
// the warning "¡El valor de " + NombreDato + " es incorrecto! ..." with the
// limit, and false. A column that is no number takes any text.
bool ValorCabeEnColumnaContratos(const QString& Columna, const QString& Texto,
                                 const QString& NombreDato);

// Definition texts of the two work tables handed to the print engine.
QString DefinicionTemporalContratos();
QString DefinicionLTemporalContratos();

// Empties both tables (open, created from the definitions above) and fills
// them for the employees and contracts of the selection. The values must have
// passed the dialog's checks; an empty number counts as 0.
void RellenarImpresos(const TDatosContratos& Datos, TTable* Temporal, TTable* LTemporal);

// Vacation days earned and not taken between the start of the vacation year
// (or the contract's start when later) and the contract's end; 0 for a
// contract without end.
double DiasVacacionesNoDisfrutadas(int CodigoOperario, int CodigoCalendario,
                                   const QDateTime& InicioContrato, const QDateTime& FinalContrato);
