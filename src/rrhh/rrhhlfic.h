#pragma once
// The dialog "Listado de Fichas del Personal": one personnel sheet per
// employee of a code range, laid out by a print format of type "Ficha
// Personal" and printed by the document print engine (rrhh/rrhhfich.h).
//
// TDialogoFicha is what the three sheet dialogs share: the format combo, the
// run through the print engine instead of a report form, and the presets a
// master hands over as properties after creating the dialog, the
// print-at-once flag last.

#include "rrhh/rrhhlist.h"

class TComboBox;
class TfGENELIMP;

class TDialogoFicha : public TDialogoListado {
    Q_OBJECT
public:
    TDialogoFicha(QWidget* owner, const QString& nombre, const QString& titulo,
                  const QString& TipoDocumento);

    TComboBox* EditFormatoImpreso;
    // The chosen format's code ("" when none).
    QString FormatoElegido() const;
    // Print-at-once: without preview, then the dialog closes.
    void ImprimirDirectamente(bool Directamente);

    // Where the job goes ("" = the format's printer); tests point it at a
    // "PDF:" file.
    QString DestinoImpreso;

protected:
    TInformeListado* CrearInforme() override { return nullptr; }
    void ValoresIniciales() override;
    void Listar() override;
    // "¡Debe definir el Formato del Impreso" + Cierre when no format is
    // chosen; the later checks are made all the same.
    bool ValidarFormato(const QString& Cierre);
    // The job: work tables, fill and print on the engine.
    virtual void Imprimir() = 0;

private:
    QString tipoDocumento_;
};

class TfRRHHLFIC : public TDialogoFicha {
    Q_OBJECT
    Q_PROPERTY(int OperarioDesdeFicha READ Desde WRITE setOperarioDesdeFicha)
    Q_PROPERTY(int OperarioHastaFicha READ Hasta WRITE setOperarioHastaFicha)
    Q_PROPERTY(bool ImprimirDirectamenteFicha READ Directamente WRITE ImprimirDirectamente)
public:
    explicit TfRRHHLFIC(QWidget* owner = nullptr);
    ~TfRRHHLFIC() override;

    TEdit* NumeroCopias;
    TCheckBox* Activos;
    TCheckBox* NoActivos;

    int Desde() const;
    int Hasta() const;
    bool Directamente() const { return false; }
    void setOperarioDesdeFicha(int Codigo);
    void setOperarioHastaFicha(int Codigo);

    bool Validar() override;

protected:
    void Imprimir() override;
};

extern TfRRHHLFIC* fRRHHLFIC;

void RegistrarTfRRHHLFIC();
