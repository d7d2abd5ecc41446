#pragma once
// The detail grid viewer: a read-only grid over a dataset the caller
// prepares (QueryDetalle or TablaDetalle bound to DataSource1), with value
// filters, column totals and the programmable listing. The window frees
// itself when closed.

#include <QString>

#include "ui/form.h"

class TButton;
class TDBGrid;
class TDataSet;
class TDataSource;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TQuery;
class TTable;

class TfGENEVDET : public TForm {
    Q_OBJECT
public:
    explicit TfGENEVDET(QWidget* owner = nullptr);
    ~TfGENEVDET() override;

    TPanel* Panel1;
    TDBGrid* DBGrid1;
    TPanel* PanelControl;
    TButton* pbSalir;
    TPanel* PanelTotales;
    TDataSource* DataSource1;
    TTable* TablaDetalle;
    TQuery* QueryDetalle;
    TPopupMenu* PopupMenu1;
    TMenuItem* FiltrarRegistrosporValorIguala1;
    TMenuItem* FiltrarRegistrosporValorDesde1;
    TMenuItem* FiltrarRegistrosporValorHasta1;
    TMenuItem* CancelarFiltros1;
    TMenuItem* ListadoProgramable1;

    // The numeric fields to total, separated by ";" (empty: no totals).
    QString CamposTotalizadores;

    // "Total A: x  , Total B: y  " over every record shown; the dataset is
    // left on its last record.
    void CalcularTotales();
    // Operador "=", ">=" or "<=" on the grid's selected field.
    void FiltrarRegistrosporValorClick(const QString& Operador);
    void CancelarFiltros1Click();
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender) {}

private:
    void FormShow();
    void dibujarCelda(const QRect& Rect, int Columna, int Estado);
    TDataSet* dataSet() const;
};
