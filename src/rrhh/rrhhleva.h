#pragma once
// The dialog "Listado de Ficha de Evaluación": one evaluation sheet per
// employee evaluation of a selection, its scored criteria as lines, laid
// out by a print format of type "Ficha Evaluacion". The evaluation master
// opens it on the evaluation shown, handing every bound as a property.

#include <QDateTime>

#include "rrhh/rrhhlfic.h"

class TfRRHHLEVA : public TDialogoFicha {
    Q_OBJECT
    Q_PROPERTY(int OperarioDesdeEvaluacion READ Cero WRITE setOperarioDesde)
    Q_PROPERTY(int OperarioHastaEvaluacion READ Cero WRITE setOperarioHasta)
    Q_PROPERTY(QString CodigoDesdeEvaluacion READ Vacio WRITE setCodigoDesde)
    Q_PROPERTY(QString CodigoHastaEvaluacion READ Vacio WRITE setCodigoHasta)
    Q_PROPERTY(QDateTime FechaDesdeEvaluacion READ Nula WRITE setFechaDesde)
    Q_PROPERTY(QDateTime FechaHastaEvaluacion READ Nula WRITE setFechaHasta)
    Q_PROPERTY(QString TipoEvaluacion READ Vacio WRITE setTipo)
    Q_PROPERTY(bool ImprimirDirectamenteEvaluacion READ Falso WRITE ImprimirDirectamente)
public:
    explicit TfRRHHLEVA(QWidget* owner = nullptr);
    ~TfRRHHLEVA() override;

    TEdit* DesdeCodigo;
    TEdit* HastaCodigo;
    TEdit* DesdeFecha;
    TEdit* HastaFecha;
    TComboBox* Tipo;
    TCheckBox* ListarValores;

    int Cero() const { return 0; }
    QString Vacio() const { return QString(); }
    QDateTime Nula() const { return QDateTime(); }
    bool Falso() const { return false; }
    void setOperarioDesde(int v);
    void setOperarioHasta(int v);
    void setCodigoDesde(const QString& v);
    void setCodigoHasta(const QString& v);
    void setFechaDesde(const QDateTime& v);
    void setFechaHasta(const QDateTime& v);
    void setTipo(const QString& v);

    bool Validar() override;

protected:
    void ValoresIniciales() override;
    void Imprimir() override;
};

extern TfRRHHLEVA* fRRHHLEVA;

void RegistrarTfRRHHLEVA();
