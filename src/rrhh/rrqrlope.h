#pragma once
// The report of the employees listing: one line per employee of a code
// range with his analysis group in each of up to five categories chosen in
// the dialog, restricted by his current job position, his contract and the
// analysis-group ranges, grouped by his group of the first category, on A4
// landscape. The candidates listing (TfRRQRLCAN) is its twin on CANDIDAT.

#include <QPointer>

#include "rrhh/rrqrlist.h"

class TListBox;
class TTable;

class TfRRQRLOPE : public TInformeListado {
    Q_OBJECT
public:
    // ListaCategorias: the dialog's list of chosen categories, read while the
    // report runs (its order is the order of the columns).
    explicit TfRRQRLOPE(TListBox* ListaCategorias = nullptr, TForm* Dialogo = nullptr,
                        QWidget* owner = nullptr);

    TTable* Personal;
    TQRBand* Detail;
    TQRLabel* TituloCategoria[5];

    QPointer<TListBox> ListaCategorias;
    int DesdeOperario = 0, HastaOperario = 9999;
    QString DesdePuesto, HastaPuesto = QStringLiteral("zzzzzzzzzzzzz");
    QString RangosGruposAnalisis;
    bool Activos = true, NoActivos = true;

    static const char* const kDefinicionTemporal;

    // The code of the job position a person holds now: his position-history
    // row (NombreTabla: "PERSONAL" or "CANDIDAT") that started last, a row
    // with no start date counting as the oldest and equal dates going to the
    // higher line; empty when he has none.
    QString PuestoActual(const QString& NombreTabla, int Codigo);
    // A person's analysis groups in the chosen categories: Grupos[i] and
    // Descripciones[i] for Categorias[i].
    void GruposCategorias(const QString& NombreTabla, const QString& Clave,
                          const QStringList& Categorias, QString* Grupos, QString* Descripciones);

    // The twin's frame: its master table, code column, names and texts.
    struct Entidad {
        const char* formulario;     // "fRRQRLOPE"
        const char* componente;     // "Personal"
        const char* tabla;          // "PERSONAL"
        const char* campoCodigo;    // "CodigoOperario"
        const char* columnaCodigo;  // of Temporal
        const char* titulo;
        const char* progreso;
        const char* textoProgreso;
        bool contratos;
    };
    static const Entidad kOperarios;

protected:
    TfRRQRLOPE(const Entidad& e, TListBox* Lista, TForm* Dialogo, QWidget* owner);

    QString TituloListado() const override;
    TDataSet* TablaControl() const override;
    void RellenarTemporal() override;

private:
    Entidad entidad_;
};
